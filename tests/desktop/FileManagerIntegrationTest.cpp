// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/FileManagerIntegration.h"
#include "support/FileText.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

namespace tallyvane {
namespace {

using test::FixtureTree;
using test::ReadFileText;
namespace fs = std::filesystem;

const std::string Caption = "Tallyvane [Vantori]";
const std::string FolderEntry = "applications/tallyvane-folder.desktop";
const std::string ServiceMenu = "kio/servicemenus/tallyvane.desktop";
const std::string NemoAction = "nemo/actions/tallyvane.nemo_action";
const std::string Script = "nautilus/scripts/" + Caption;

void writeFile(const std::string& path, const std::string& content, mode_t mode = 0644)
{
    test::WriteFileText(path, content);
    ::chmod(path.c_str(), mode);
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

mode_t modeOf(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

struct Outcome {
    int status = -1;
    std::string output; // standard output and error together
};

// Runs a program without a shell in between, so that no argument is reinterpreted on the way.
Outcome run(const std::vector<std::string>& arguments, const std::string& folder = ".")
{
    int out[2];
    if (::pipe(out) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(out[1], STDERR_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        if (::chdir(folder.c_str()) == 0)
            ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    Outcome outcome;
    char buffer[4096];
    for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;)
        outcome.output.append(buffer, static_cast<std::size_t>(got));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// The groups of a key file, each a map of its keys to their values as written.
using KeyFile = std::map<std::string, std::map<std::string, std::string>>;

KeyFile readKeyFile(const std::string& path)
{
    KeyFile groups;
    std::istringstream lines(ReadFileText(path));
    std::string group;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with('['))
            group = line.substr(1, line.find(']') - 1);
        else if (const std::size_t equals = line.find('='); equals != std::string::npos)
            groups[group][line.substr(0, equals)] = line.substr(equals + 1);
    }
    return groups;
}

// A value of the desktop entry string type read back.
std::string unescaped(std::string_view value)
{
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's':
            text += ' ';
            break;
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        case '\\':
            text += '\\';
            break;
        default:
            ADD_FAILURE() << "not a string escape: \\" << value[i];
            text += value[i];
        }
    }
    return text;
}

// An Exec value split into its arguments by the desktop entry quoting rules, which it must
// keep to the letter: inside quotes, ", `, $ and \ only escaped and no field codes. Field codes
// stay as they are written; a doubled percent sign becomes one.
std::vector<std::string> execArguments(std::string_view value)
{
    const std::string line = unescaped(value);
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if (!quoted && c == ' ') {
            if (inArgument)
                arguments.push_back(std::exchange(current, {}));
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted && c == '\\') {
            EXPECT_TRUE(next != '\0' && std::strchr("\"`$\\", next)) << "stray backslash in " << line;
            current += next;
            ++i;
        } else if (quoted && (c == '`' || c == '$')) {
            ADD_FAILURE() << "unescaped " << c << " in " << line;
        } else if (c == '%' && next == '%') {
            current += '%';
            ++i;
        } else {
            EXPECT_FALSE(quoted && c == '%') << "field code inside quotes in " << line;
            current += c;
        }
    }
    EXPECT_FALSE(quoted) << "unclosed quote in " << line;
    if (inArgument)
        arguments.push_back(current);
    return arguments;
}

// A data home in a fresh folder, and a stand-in for the program at a path with blanks and the
// characters that quote or expand in the formats. The stand-in records the arguments it gets,
// one a line, in the file `arguments`.
class FileManagerIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.makeFolder("bin dir");
        tree.makeFolder("bin dir/it's \"q\" $HOME `x` back\\slash");
        writeFile(executable,
                  "#!/bin/sh\n"
                  "printf '%s\\n' \"$@\" > \"$TALLYVANE_RECORD.part\"\n"
                  "mv \"$TALLYVANE_RECORD.part\" \"$TALLYVANE_RECORD\"\n",
                  0755);
        ::setenv("TALLYVANE_RECORD", tree.pathOf("arguments").c_str(), 1);
    }

    void TearDown() override { ::unsetenv("TALLYVANE_RECORD"); }

    std::string entry(const std::string& relative) const { return dataHome + "/" + relative; }

    // What the stand-in was started with, once it has run.
    std::string recordedArguments(std::chrono::seconds patience = std::chrono::seconds(0)) const
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (!exists(tree.pathOf("arguments")) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return ReadFileText(tree.pathOf("arguments"));
    }

    FixtureTree tree;
    const std::string dataHome = tree.pathOf("share");
    const std::string executable = tree.pathOf("bin dir/it's \"q\" $HOME `x` back\\slash/tallyvane");
    FileManagerIntegration integration{dataHome};
};

TEST_F(FileManagerIntegrationTest, EveryEntryStartsTheExecutableByItsExactPath)
{
    const struct {
        std::string file;
        std::string group;
        std::string fieldCode;
    } cases[] = {
        {FolderEntry, "Desktop Entry", "%f"},
        {ServiceMenu, "Desktop Action analyse", "%f"},
        {NemoAction, "Nemo Action", "%F"},
    };
    // A percent sign would otherwise start a field code, and a line break end the value.
    for (const std::string& path : {executable, tree.pathOf("100% free\n\tlines/tallyvane")}) {
        ASSERT_TRUE(integration.registerEntries(Caption, path));
        for (const auto& [file, group, fieldCode] : cases) {
            SCOPED_TRACE(file + " for " + path);
            const KeyFile keys = readKeyFile(entry(file));
            ASSERT_TRUE(keys.contains(group));
            EXPECT_EQ(execArguments(keys.at(group).at("Exec")), (std::vector<std::string>{path, fieldCode}));
        }
    }
}

TEST_F(FileManagerIntegrationTest, TheFolderEntryIsValidAndOpensAFolderWithTheProgram)
{
    ASSERT_TRUE(integration.registerEntries(Caption, executable));
    const Outcome validation = run({"desktop-file-validate", entry(FolderEntry)});
    EXPECT_EQ(validation.status, 0) << validation.output;
    EXPECT_EQ(validation.output, "");

    const KeyFile keys = readKeyFile(entry(FolderEntry));
    const auto& group = keys.at("Desktop Entry");
    EXPECT_EQ(group.at("Type"), "Application");
    EXPECT_EQ(unescaped(group.at("Name")), Caption);
    EXPECT_EQ(group.at("MimeType"), "inode/directory;");
    EXPECT_EQ(group.at("NoDisplay"), "true");
    EXPECT_EQ(group.at("Icon"), "tallyvane");

    // GLib's launcher, as the GNOME file managers use it, with a folder the shell would expand.
    const std::string folder = tree.pathOf("photos $(touch x) 2024");
    tree.makeFolder("photos $(touch x) 2024");
    const Outcome launch = run({"gio", "launch", entry(FolderEntry), folder}, tree.path());
    ASSERT_EQ(launch.status, 0) << launch.output;
    EXPECT_EQ(recordedArguments(std::chrono::seconds(10)), folder + "\n");
    EXPECT_FALSE(exists(tree.pathOf("x")));
}

TEST_F(FileManagerIntegrationTest, TheServiceMenuOffersOneActionForFolders)
{
    ASSERT_TRUE(integration.registerEntries(Caption, executable));
    const KeyFile keys = readKeyFile(entry(ServiceMenu));
    const auto& menu = keys.at("Desktop Entry");
    EXPECT_EQ(menu.at("Type"), "Service");
    EXPECT_EQ(menu.at("X-KDE-ServiceTypes"), "KonqPopupMenu/Plugin");
    EXPECT_EQ(menu.at("MimeType"), "inode/directory;");
    EXPECT_EQ(menu.at("Actions"), "analyse;");
    const auto& action = keys.at("Desktop Action analyse");
    EXPECT_EQ(unescaped(action.at("Name")), Caption);
    EXPECT_EQ(action.at("Icon"), "tallyvane");
    // Dolphin ignores service menus in a user's folders that are not executable.
    EXPECT_EQ(modeOf(entry(ServiceMenu)), 0755u);
}

TEST_F(FileManagerIntegrationTest, TheNemoActionShowsTheCaptionForOneFolder)
{
    // In a Nemo name, % starts a token and _ marks the access key.
    ASSERT_TRUE(integration.registerEntries("100% disk_usage", executable));
    const KeyFile keys = readKeyFile(entry(NemoAction));
    const auto& action = keys.at("Nemo Action");
    EXPECT_EQ(action.at("Name"), "100%% disk__usage");
    EXPECT_EQ(action.at("Selection"), "s");
    EXPECT_EQ(action.at("Extensions"), "dir;");
    EXPECT_EQ(action.at("EscapeSpaces"), "true");
    EXPECT_EQ(action.at("Icon-Name"), "tallyvane");
}

TEST_F(FileManagerIntegrationTest, TheNautilusScriptHandsOverExactlyTheFolder)
{
    ASSERT_TRUE(integration.registerEntries(Caption, executable));
    const std::string script = entry(Script);
    EXPECT_EQ(modeOf(script), 0755u);

    const std::string name = "my 'music' $(touch x) `touch x` \\ \"end\"";
    tree.makeFolder(name);
    // Nautilus passes the selection relative to the folder it shows, which is the working
    // folder; from the view's background it passes nothing.
    const struct {
        std::vector<std::string> arguments;
        std::string workingFolder;
        std::string expected;
    } cases[] = {
        {{name}, tree.path(), tree.pathOf(name)},
        {{tree.pathOf(name)}, "/", tree.pathOf(name)},
        {{}, tree.pathOf(name), tree.pathOf(name)},
        {{name, "other"}, tree.path(), tree.pathOf(name)},
    };
    for (const auto& [arguments, workingFolder, expected] : cases) {
        SCOPED_TRACE(arguments.empty() ? std::string("no argument") : arguments[0]);
        std::vector<std::string> command{script};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const Outcome outcome = run(command, workingFolder);
        EXPECT_EQ(outcome.status, 0) << outcome.output;
        EXPECT_EQ(recordedArguments(), expected + "\n");
        fs::remove(tree.pathOf("arguments"));
    }
    EXPECT_FALSE(exists(tree.pathOf("x")));
    EXPECT_FALSE(exists(tree.pathOf(name + "/x")));
}

// Every file below a folder with its content and permission bits.
std::map<std::string, std::pair<std::string, mode_t>> snapshot(const std::string& folder)
{
    std::map<std::string, std::pair<std::string, mode_t>> files;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (item.is_regular_file())
            files[fs::relative(item.path(), folder).string()] = {ReadFileText(item.path()), modeOf(item.path())};
    }
    return files;
}

TEST_F(FileManagerIntegrationTest, RegisteringAgainReplacesTheEntries)
{
    ASSERT_TRUE(integration.registerEntries(Caption, executable));
    const auto first = snapshot(dataHome);
    EXPECT_EQ(first.size(), 4u);
    ASSERT_TRUE(integration.registerEntries(Caption, executable));
    EXPECT_EQ(snapshot(dataHome), first);

    // A new caption renames the script rather than adding a second one.
    ASSERT_TRUE(integration.registerEntries("Tallyvane", executable));
    EXPECT_FALSE(exists(entry(Script)));
    EXPECT_TRUE(exists(entry("nautilus/scripts/Tallyvane")));
    EXPECT_EQ(snapshot(dataHome).size(), 4u);
}

TEST_F(FileManagerIntegrationTest, ACaptionThatIsNoFileNameStillNamesTheScript)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Disk/space", "Disk-space"},
        {"", "Tallyvane"},
        {"..", "Tallyvane"},
    };
    for (const auto& [caption, scriptName] : cases) {
        SCOPED_TRACE(caption);
        ASSERT_TRUE(integration.registerEntries(caption, executable));
        EXPECT_EQ(modeOf(entry("nautilus/scripts/" + scriptName)), 0755u);
    }
}

TEST_F(FileManagerIntegrationTest, RemovingDeletesExactlyTheEntries)
{
    ASSERT_TRUE(integration.registerEntries(Caption, executable));
    const std::string foreign[] = {
        "applications/editor.desktop", "kio/servicemenus/compress.desktop", "nemo/actions/compress.nemo_action",
        "nautilus/scripts/Old notes", // a script that merely starts like ours
    };
    for (const std::string& file : foreign)
        writeFile(entry(file), "#!/bin/sh\n# Tallyvane's folder entry, as far as it goes\n");

    EXPECT_TRUE(integration.unregisterEntries());
    for (const std::string& file : {FolderEntry, ServiceMenu, NemoAction, Script})
        EXPECT_FALSE(exists(entry(file))) << file;
    for (const std::string& file : foreign)
        EXPECT_TRUE(exists(entry(file))) << file;

    // Nothing left to remove is no failure; the window says "removed" either way.
    EXPECT_TRUE(integration.unregisterEntries());
    EXPECT_TRUE(FileManagerIntegration(tree.pathOf("never used")).unregisterEntries());
}

TEST_F(FileManagerIntegrationTest, RegisteringFailsWhenAnEntryCannotBeWritten)
{
    // Structural obstacles, since permission bits do not stop the root user.
    const std::string obstacles[] = {"applications", "kio", "nautilus/scripts", "nemo/actions"};
    for (const std::string& obstacle : obstacles) {
        SCOPED_TRACE(obstacle);
        FixtureTree home;
        home.makeFolder("nautilus");
        home.makeFolder("nemo");
        writeFile(home.pathOf(obstacle), "not a folder");
        FileManagerIntegration blocked(home.path());
        EXPECT_FALSE(blocked.registerEntries(Caption, executable));
        // The entries that could be written are there all the same.
        EXPECT_EQ(exists(home.pathOf(FolderEntry)), obstacle != "applications");
        EXPECT_EQ(exists(home.pathOf(NemoAction)), obstacle != "nemo/actions");
    }
}

TEST_F(FileManagerIntegrationTest, RemovingFailsWhenAnEntryCannotBeDeleted)
{
    ASSERT_TRUE(integration.registerEntries(Caption, executable));
    fs::remove(entry(ServiceMenu));
    fs::create_directory(entry(ServiceMenu));
    EXPECT_FALSE(integration.unregisterEntries());
    EXPECT_FALSE(exists(entry(FolderEntry)));
    EXPECT_FALSE(exists(entry(Script)));
}

TEST(UserDataHome, FollowsTheBaseDirectoryVariables)
{
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const struct {
        const char* dataHome; // nullptr: unset
        std::string expected;
    } cases[] = {
        {"/srv/data", "/srv/data"},
        {nullptr, "/home/ann/.local/share"},
        {"", "/home/ann/.local/share"},
    };
    ::setenv("HOME", "/home/ann", 1);
    for (const auto& [dataHome, expected] : cases) {
        if (dataHome)
            ::setenv("XDG_DATA_HOME", dataHome, 1);
        else
            ::unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(UserDataHome(), expected) << (dataHome ? dataHome : "unset");
    }
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", savedHome.c_str(), 1);
}

} // namespace
} // namespace tallyvane
