// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/FileManagerIntegration.h"

#include "platform/AtomicFile.h"
#include "platform/FileNames.h"

#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <utility>

namespace tallyvane {
namespace {

constexpr const char* FolderEntry = "applications/tallyvane-folder.desktop";
constexpr const char* ServiceMenu = "kio/servicemenus/tallyvane.desktop";
constexpr const char* ScriptsFolder = "nautilus/scripts";
constexpr const char* NemoAction = "nemo/actions/tallyvane.nemo_action";

// How the script is told apart from the user's own scripts beside it.
constexpr std::string_view ScriptHeader =
    "#!/bin/sh\n"
    "# Tallyvane's folder entry: removing the entry in Tallyvane's options deletes this file.\n";

// A value of the desktop entry string type, where a backslash starts an escape and a line break
// ends the value.
std::string stringValue(std::string_view text)
{
    std::string value;
    for (const char c : text) {
        switch (c) {
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\t':
            value += "\\t";
            break;
        case '\r':
            value += "\\r";
            break;
        default:
            value += c;
        }
    }
    return value;
}

// One argument of an Exec line, before the string escapes: quoted whole, which covers every
// reserved character; inside the quotes only these four take a backslash, and a doubled
// percent sign stands for itself rather than a field code.
std::string execArgument(std::string_view argument)
{
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + '"';
}

// The Exec value that starts the executable with what the field code stands for.
std::string execValue(const std::string& executable, std::string_view fieldCode)
{
    return stringValue(execArgument(executable) + ' ' + std::string(fieldCode));
}

// A word the shell takes literally: single quotes, each single quote inside closed, escaped
// and reopened.
std::string shellWord(std::string_view text)
{
    std::string word = "'";
    for (const char c : text) {
        if (c == '\'')
            word += "'\\''";
        else
            word += c;
    }
    return word + '\'';
}

// Nautilus shows the script's file name. A slash would make a submenu folder of it, and an
// empty or dot name is no file at all.
std::string scriptName(std::string caption)
{
    std::replace(caption.begin(), caption.end(), '/', '-');
    if (caption.empty() || caption == "." || caption == "..")
        return "Tallyvane";
    return caption;
}

std::string folderEntry(const std::string& caption, const std::string& executable)
{
    // Hidden from the application menus, which have the ordinary launcher already.
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name="
        + stringValue(caption)
        + "\n"
          "Icon=tallyvane\n"
          "Exec="
        + execValue(executable, "%f")
        + "\n"
          "MimeType=inode/directory;\n"
          "NoDisplay=true\n";
}

std::string serviceMenu(const std::string& caption, const std::string& executable)
{
    // X-KDE-ServiceTypes is what KDE Frameworks 5 looks for; 6 goes by the folder alone.
    return "[Desktop Entry]\n"
           "Type=Service\n"
           "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
           "MimeType=inode/directory;\n"
           "Actions=analyse;\n"
           "X-KDE-Priority=TopLevel\n"
           "\n"
           "[Desktop Action analyse]\n"
           "Name="
        + stringValue(caption)
        + "\n"
          "Icon=tallyvane\n"
          "Exec="
        + execValue(executable, "%f") + "\n";
}

std::string nautilusScript(const std::string& executable)
{
    return std::string(ScriptHeader)
        + "# Nautilus names a selected folder relative to the folder it shows, which it makes the\n"
          "# working folder; with nothing selected, the folder shown is the one to analyse.\n"
          "case $1 in\n"
          "'') folder=$PWD ;;\n"
          "/*) folder=$1 ;;\n"
          "*) folder=$PWD/$1 ;;\n"
          "esac\n"
          "exec "
        + shellWord(executable) + " \"$folder\"\n";
}

std::string nemoAction(const std::string& caption, const std::string& executable)
{
    // Nemo reads Exec as a desktop entry does, but substitutes %F itself and then splits the
    // line like a shell; EscapeSpaces makes it escape the folder's blanks for that split, as
    // it does its other special characters. In the name, % starts a token and _ marks a
    // mnemonic unless doubled.
    std::string name;
    for (const char c : caption) {
        if (c == '%' || c == '_')
            name += c;
        name += c;
    }
    return "[Nemo Action]\n"
           "Name="
        + stringValue(name)
        + "\n"
          "Icon-Name=tallyvane\n"
          "Exec="
        + execValue(executable, "%F")
        + "\n"
          "Selection=s\n"
          "Extensions=dir;\n"
          "EscapeSpaces=true\n";
}

bool writeFile(const std::string& path, const std::string& content, bool executable)
{
    if (!MakeFolders(path.substr(0, path.find_last_of('/'))))
        return false;
    try {
        AtomicFile file(path);
        file.write(content);
        file.commit();
    } catch (const FileError&) {
        return false;
    }
    return !executable || ::chmod(path.c_str(), 0755) == 0;
}

bool removeFile(const std::string& path)
{
    // ENOTDIR: a file stands where a parent folder would be, so the entry cannot be there.
    return ::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR;
}

bool isOwnScript(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string start(ScriptHeader.size(), '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    return start == ScriptHeader;
}

// Deletes every script of ours in the folder except the one named keep.
bool removeOwnScripts(const std::string& folder, std::string_view keep)
{
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    if (error)
        return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
    bool removed = true;
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::filesystem::path& path = entry->path();
        std::error_code unreadable; // a file gone since the listing is not a script of ours
        if (std::filesystem::is_regular_file(entry->symlink_status(unreadable)) && path.filename() != keep
            && isOwnScript(path))
            removed = removeFile(path) && removed;
    }
    return removed && !error;
}

} // namespace

FileManagerIntegration::FileManagerIntegration(std::string dataHome) : m_dataHome(std::move(dataHome)) {}

std::string FileManagerIntegration::pathOf(const char* relative) const
{
    return m_dataHome + "/" + relative;
}

bool FileManagerIntegration::registerEntries(const std::string& caption, const std::string& executablePath)
{
    struct Entry {
        std::string path;
        std::string content;
        bool executable;
    };
    const std::string script = scriptName(caption);
    const Entry entries[] = {
        {pathOf(FolderEntry), folderEntry(caption, executablePath), false},
        // Dolphin runs service menus from a user's own folders only when they are executable.
        {pathOf(ServiceMenu), serviceMenu(caption, executablePath), true},
        {pathOf(ScriptsFolder) + "/" + script, nautilusScript(executablePath), true},
        {pathOf(NemoAction), nemoAction(caption, executablePath), false},
    };
    bool written = true;
    for (const Entry& entry : entries)
        written = writeFile(entry.path, entry.content, entry.executable) && written;
    // A registration under an earlier caption left its script under that name; the other
    // entries were replaced in place. Left over, it is only a second menu item, so a failure
    // here does not make the registration fail.
    removeOwnScripts(pathOf(ScriptsFolder), script);
    return written;
}

bool FileManagerIntegration::unregisterEntries()
{
    bool removed = removeOwnScripts(pathOf(ScriptsFolder), {});
    for (const char* relative : {FolderEntry, ServiceMenu, NemoAction})
        removed = removeFile(pathOf(relative)) && removed;
    return removed;
}

std::string UserDataHome()
{
    return EncodeFileName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

} // namespace tallyvane
