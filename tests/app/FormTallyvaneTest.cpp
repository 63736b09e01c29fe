// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ElidedLabel.h"
#include "app/FolderPicker.h"
#include "app/RunController.h"
#include "app/SkinEngine.h"
#include "app/TFormTallyvane.h"
#include "app/ToolbarButton.h"
#include "cli/ExportCommand.h"
#include "commands/MessageBoxes.h"
#include "commands/SaveDialog.h"
#include "desktop/Desktop.h"
#include "desktop/SystemIcons.h"
#include "platform/FileFacts.h"
#include "platform/FileNames.h"
#include "platform/MemoryReserve.h"
#include "platform/PosixFileSystem.h"
#include "presentation/ElapsedTime.h"
#include "presentation/SizeText.h"
#include "presentation/Version.h"
#include "support/FakeFileSystem.h"
#include "support/FakeVolumeQueries.h"
#include "support/FileText.h"
#include "support/FixtureTree.h"
#include "support/SmallDisk.h"
#include "support/StackLimit.h"
#include "views/EntryModel.h"
#include "views/PieChart.h"
#include "views/ResultGrid.h"
#include "views/SearchWindow.h"
#include "views/TreemapView.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <semaphore>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace tallyvane {
namespace {

using test::FixtureTree;
using test::ReadFileText;

struct Message {
    QString text;
    QString caption;
    MessageIcon icon;
    bool operator==(const Message&) const = default;
};

class RecordingMessages final : public MessageBoxes {
public:
    void show(const QString& text, const QString& caption, MessageIcon icon) override
    {
        shown.push_back({text, caption, icon});
        if (whileShown)
            whileShown();
    }
    bool askYesNo(const QString& text, const QString& caption) override
    {
        shown.push_back({text, caption, MessageIcon::Question});
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        return yes;
    }
    std::vector<Message> shown;
    std::deque<bool> answers;
    std::function<void()> whileShown; // what the test looks at while a box is open
};

class FakePicker final : public FolderPicker {
public:
    std::optional<QString> pickFolder(QWidget*, const QString& preset) override
    {
        presets.push_back(preset);
        return choice;
    }
    std::optional<QString> choice;
    QStringList presets;
};

class RecordingDesktop final : public Desktop {
public:
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return opens;
    }
    bool openFile(const std::string& path) override
    {
        filesOpened.push_back(path);
        return true;
    }
    void showFolder(const std::string& folder) override { foldersShown.push_back(folder); }
    bool showItemProperties(const std::string& path) override
    {
        propertiesAsked.push_back(path);
        return fileManagerAnswers;
    }
    QList<QUrl> opened;
    std::vector<std::string> filesOpened;
    std::vector<std::string> foldersShown;
    std::vector<std::string> propertiesAsked;
    bool fileManagerAnswers = true;
    bool opens = true;
};

class FakeSaveDialog final : public SaveDialog {
public:
    std::optional<QString> askFileName(QWidget*, const QString& suffix, const QString& filter) override
    {
        asked.append(suffix + QLatin1Char(' ') + filter);
        return choice;
    }
    std::optional<QString> choice;
    QStringList asked;
};

// A reserve that stands for the system's memory: it refuses to be held once it has been held
// as often as allowed.
class FakeMemoryReserve final : public MemoryReserve {
public:
    bool hold() noexcept override
    {
        if (holds >= allowed)
            return false;
        held = true;
        ++holds;
        return true;
    }
    void release() noexcept override { held = false; }

    int allowed = INT_MAX;
    bool held = false;
    int holds = 0;
};

class FormTest : public ::testing::Test {
protected:
    FormTest()
    {
        folders.makeFolder("music");
        folders.makeFile("music/a.ogg", 3000);
        folders.makeFolder("music/live");
        folders.makeFile("music/live/b.ogg", 6000);
        folders.makeFile("notes.txt", 1000);
        settings.makeFolder("config");
    }

    // A window as the program makes it: the arguments read by the command line, the settings
    // read from the file.
    std::unique_ptr<TFormTallyvane> makeForm(const std::vector<std::string>& arguments = {},
                                             FileSystem* fileSystem = nullptr)
    {
        WindowServices services{fileSystem ? *fileSystem : posix,
                                fileFacts,
                                volumes,
                                icons,
                                messages,
                                picker,
                                saveDialog,
                                desktop,
                                memoryReserve,
                                iniPath(),
                                QStringLiteral("/opt/help/TallyvaneHelp.html"),
                                settings.pathOf("data")};
        const CommandLine line = ParseCommandLine(arguments);
        EXPECT_EQ(line.error, "");
        return std::make_unique<TFormTallyvane>(services, Settings::load(IniFile(iniPath())), line.options);
    }

    // Lets the window handle what is queued, then waits until no run is going on. The bound
    // only guards against a hang: a deep tree under a sanitizer on a busy machine takes minutes.
    static void settle(TFormTallyvane& form)
    {
        QCoreApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor([&form] { return !form.run().isBusy(); }, 1'200'000)) << "the run never ended";
    }
    static void analyse(TFormTallyvane& form, const std::string& folder)
    {
        form.run().setFolder(folder);
        form.BTNRunClick();
        settle(form);
    }

    std::string iniPath() const { return settings.pathOf("config/Tallyvane.ini"); }
    void writeIni(const std::string& text) const { std::ofstream(iniPath()) << text; }
    std::string readIni() const { return ReadFileText(iniPath()); }

    template <typename T>
    static T* child(TFormTallyvane& form, const char* name)
    {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QString text(TFormTallyvane& form, const char* name) { return child<QLabel>(form, name)->text(); }

    FixtureTree folders;
    FixtureTree settings;
    PosixFileSystem posix;
    test::FakeVolumeQueries volumes;
    FreedesktopIconList icons;
    RecordingMessages messages;
    FakePicker picker;
    FakeSaveDialog saveDialog;
    RecordingDesktop desktop;
    PosixFileFacts fileFacts;
    FakeMemoryReserve memoryReserve;
};

TEST_F(FormTest, ARunShowsTheResultAndComesBackToRest)
{
    auto form = makeForm();
    analyse(*form, folders.path());

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(text(*form, "Label13"), "完成");
    EXPECT_EQ(text(*form, "Label9"), "5");
    EXPECT_TRUE(form->run().stopRequested()) << "every run ends at rest";
    EXPECT_TRUE(child<QPushButton>(*form, "BTNRun")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(*form, "BTNCancel")->isHidden());
    EXPECT_FALSE(form->run().isBusy());

    ResultGrid& grid = form->grid();
    const EntryId root = grid.tree().FirstEntry();
    EXPECT_EQ(grid.tree().name(root), folders.path());
    EXPECT_EQ(grid.tree().size(root), 10000);
    EXPECT_EQ(grid.FocusedEntry(), root);
    EXPECT_EQ(grid.SelectedEntry(), root);
    EXPECT_TRUE(grid.IsExpanded(root));
    EXPECT_EQ(grid.tree().name(grid.tree().FirstChildEntry(root)), "music") << "largest first";
    EXPECT_EQ(text(*form, "spSkinStatusPanel1"), QString::fromStdString(folders.path()));
    EXPECT_EQ(child<PieChart>(*form, "ChartDict")->slices().size(), 2u);
    EXPECT_EQ(text(*form, "labljv"), "/");
}

TEST_F(FormTest, RefusedRunsSayWhy)
{
    auto form = makeForm();
    form->BTNRunClick();
    EXPECT_FALSE(form->run().isBusy()) << "refused at once";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (Message{"请选择文件夹!", "提示信息", MessageIcon::Warning}));
    EXPECT_EQ(text(*form, "Label13"), "");

    // A folder gone since it was chosen: the previous result stays.
    analyse(*form, folders.path());
    const std::string gone = folders.pathOf("gone");
    analyse(*form, gone);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1],
              (Message{QString::fromStdString("打开错误！\r磁盘或文件夹：" + gone), "提示信息", MessageIcon::Warning}));
    EXPECT_EQ(text(*form, "Label13"), "完成");
    EXPECT_EQ(form->grid().tree().name(form->grid().tree().FirstEntry()), folders.path());
}

// Holds the scan, on its own thread, as it reaches a record of the given name, until the test
// lets it go on; meanwhile the test works the window as a user would.
class HeldScan {
public:
    HeldScan(test::FakeFileSystem& fileSystem, std::string name) : m_name(std::move(name))
    {
        fileSystem.beforeRecord = [this](const std::string&, const std::string& record) {
            if (record != m_name || m_passed)
                return;
            m_passed = true;
            m_reached.release();
            m_proceed.acquire();
        };
    }
    void waitUntilReached() { m_reached.acquire(); }
    void letGo() { m_proceed.release(); }

private:
    std::string m_name;
    bool m_passed = false; // only the first record of that name holds
    std::binary_semaphore m_reached{0};
    std::binary_semaphore m_proceed{0};
};

TEST_F(FormTest, CancelPutsTheControlsAtRestAtOnceAndKeepsAConsistentPartialTree)
{
    test::FakeFileSystem fake;
    std::vector<test::FakeFileSystem::Item> files;
    for (int i = 0; i < 50; ++i)
        files.push_back(test::file("f" + std::to_string(i), 100));
    fake.addFolder("/big/", {test::folder("sub"), test::file("x", 1)});
    fake.addFolder("/big/sub/", files);
    auto form = makeForm({}, &fake);
    HeldScan held(fake, "f20");
    form->run().setFolder("/big");
    form->BTNRunClick();
    held.waitUntilReached();
    EXPECT_FALSE(child<QPushButton>(*form, "BTNRun")->isEnabled());
    child<QPushButton>(*form, "BTNCancel")->click();
    EXPECT_TRUE(child<QPushButton>(*form, "BTNRun")->isEnabled()) << "at rest before the scan has wound down";
    EXPECT_TRUE(child<QPushButton>(*form, "BTNCancel")->isHidden());
    EXPECT_TRUE(form->run().isBusy());
    EXPECT_EQ(text(*form, "Label13"), "正在扫描");
    held.letGo();
    settle(*form);

    EXPECT_EQ(text(*form, "Label13"), "取消");
    const EntryTree& tree = form->grid().tree();
    const EntryId root = tree.FirstEntry();
    EXPECT_LT(tree.EntryCount(), 53u);
    const EntryId sub = tree.FirstChildEntry(root);
    EXPECT_EQ(tree.size(root), tree.size(sub)) << "the root holds what was found";
    EXPECT_EQ(tree.size(sub), 100 * static_cast<std::int64_t>(tree.childCount(sub)));
    EXPECT_EQ(form->grid().FocusedEntry(), root);
}

TEST_F(FormTest, ACancelAsTheRunStartsIsNotLost)
{
    test::FakeFileSystem fake;
    fake.addFolder("/a/", {test::file("x", 1), test::file("y", 2)});
    auto form = makeForm({}, &fake);
    HeldScan held(fake, ".");
    form->run().setFolder("/a");
    form->BTNRunClick();
    form->BTNCancelClick();
    held.waitUntilReached();
    held.letGo();
    settle(*form);
    EXPECT_EQ(text(*form, "Label13"), "取消");
    EXPECT_EQ(form->grid().tree().EntryCount(), 1u) << "the root alone";
}

TEST_F(FormTest, NoSecondAnalysisStartsWhileOneRuns)
{
    test::FakeFileSystem fake;
    fake.addFolder("/a/", {test::file("x", 1), test::file("y", 2)});
    fake.addFolder("/b/", {});
    auto form = makeForm({}, &fake);
    HeldScan held(fake, "x");
    form->run().setFolder("/a");
    form->BTNRunClick();
    held.waitUntilReached();
    EXPECT_FALSE(form->WMDropFiles({"/b"})) << "a drop during a scan is refused";
    form->BTNRunClick();
    EXPECT_FALSE(form->FormCloseQuery());
    held.letGo();
    settle(*form);

    const Message busy{"正在扫描，请先取消!", "提示信息", MessageIcon::Error};
    EXPECT_EQ(messages.shown, (std::vector<Message>{busy, busy, busy}));
    EXPECT_EQ(form->grid().tree().name(form->grid().tree().FirstEntry()), "/a");
    EXPECT_EQ(form->run().folder(), "/a");
}

TEST_F(FormTest, ClosingAsksFirstAndWaitsForACancelledScanToWindDown)
{
    auto form = makeForm();
    form->show();
    messages.answers = {false};
    EXPECT_FALSE(form->close());
    EXPECT_EQ(messages.shown.back(), (Message{"您确认要退出磁盘空间分析软件?", "Tallyvane", MessageIcon::Question}));

    // Cancelled, then asked to close while the scan still winds down: it closes after the run.
    test::FakeFileSystem fake;
    fake.addFolder("/a/", {test::file("x", 1), test::file("y", 2)});
    auto scanning = makeForm({}, &fake);
    scanning->show();
    HeldScan held(fake, "x");
    scanning->run().setFolder("/a");
    scanning->BTNRunClick();
    held.waitUntilReached();
    messages.answers = {};
    EXPECT_FALSE(scanning->close()) << "a scan going on must be cancelled first";
    EXPECT_EQ(messages.shown.back(), (Message{"正在扫描，请先取消!", "提示信息", MessageIcon::Error}));
    scanning->BTNCancelClick();
    messages.answers = {true};
    EXPECT_FALSE(scanning->close());
    EXPECT_TRUE(scanning->isVisible());
    held.letGo();
    settle(*scanning);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !scanning->isVisible(); }, 5000));
}

TEST(ElapsedTime, MinutesAndSecondsWithoutLeadingZeros)
{
    const std::pair<int, const char*> cases[] = {
        {0, "0分钟0秒"}, {5, "0分钟5秒"}, {60, "1分钟0秒"}, {3725, "62分钟5秒"}};
    for (const auto& [seconds, expected] : cases)
        EXPECT_EQ(ElapsedTimeText(seconds, QStringLiteral("分钟"), QStringLiteral("秒")), QString::fromUtf8(expected));
}

TEST_F(FormTest, TheTimerCountsTicksIntoTheElapsedTime)
{
    auto form = makeForm();
    for (int tick = 0; tick < 3725; ++tick)
        form->Timer1Timer();
    EXPECT_EQ(form->run().elapsedSeconds(), 3725);
    EXPECT_EQ(text(*form, "Label10"), "62分钟5秒");
}

TEST_F(FormTest, ARunLeftWithoutRoomEndsWithTheScanErrorAndTheWindowGoesOn)
{
    auto form = makeForm();
    analyse(*form, folders.path());
    ASSERT_GT(memoryReserve.holds, 0) << "the scan makes sure of the reserve's room";
    EXPECT_FALSE(memoryReserve.held) << "and leaves the room free for the window";
    ASSERT_EQ(form->grid().tree().EntryCount(), 6u);

    const struct {
        const char* when;
        int holdsAllowed; // the run's first hold checks that there is room to begin
        bool treeDropped;
    } cases[] = {{"before the run begins", 0, false}, {"as the scan starts", 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        analyse(*form, folders.path());
        ASSERT_EQ(form->grid().tree().EntryCount(), 6u);
        memoryReserve.holds = 0;
        memoryReserve.allowed = c.holdsAllowed;
        messages.shown.clear();
        form->BTNRunClick();
        settle(*form);
        // The scan names the folder with its separator, the run before it as it was given.
        std::string shownPath = folders.path();
        if (c.treeDropped && shownPath.back() != '/')
            shownPath += '/';
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown.back(),
                  (Message{QStringLiteral("扫描文件夹错误!\r") + QString::fromStdString(shownPath), "提示信息",
                           MessageIcon::Error}));
        EXPECT_EQ(form->grid().tree().EntryCount(), c.treeDropped ? 0u : 6u);
        if (c.treeDropped) {
            EXPECT_EQ(form->grid().model()->rowCount(), 0);
        }
        EXPECT_FALSE(form->run().isBusy());
        EXPECT_FALSE(memoryReserve.held);
        EXPECT_TRUE(child<QPushButton>(*form, "BTNRun")->isEnabled());
        EXPECT_EQ(text(*form, "Label13"), "完成");
        memoryReserve.allowed = INT_MAX;
    }
}

TEST_F(FormTest, ACommandLineFolderIsAnalysedOnceWhenTheWindowShows)
{
    writeIni("[Auto]\nAct=0\n");
    const std::string folder = folders.pathOf("music");
    auto form = makeForm({folder, folders.path()});
    EXPECT_EQ(form->run().folder(), folder);
    EXPECT_EQ(text(*form, "LabCur"), QString::fromStdString(folder));
    EXPECT_EQ(form->grid().tree().EntryCount(), 0u);
    form->show();
    settle(*form);
    EXPECT_EQ(form->grid().tree().name(form->grid().tree().FirstEntry()), folders.pathOf("music"));
    EXPECT_FALSE(form->hasStartWork());

    // A file instead: the warning comes before the window shows, and nothing runs.
    auto refused = makeForm({folders.pathOf("notes.txt")});
    EXPECT_EQ(messages.shown.back(), (Message{"请选择文件夹!", "提示信息", MessageIcon::Warning}));
    EXPECT_TRUE(refused->run().folder().empty());
    refused->show();
    settle(*refused);
    EXPECT_EQ(refused->grid().tree().EntryCount(), 0u);
}

TEST_F(FormTest, AnImportedScanShowsAsIfAnalysedAndItsEntriesAreNotOpened)
{
    writeIni("[Auto]\nAct=0\n");
    const std::string json = settings.pathOf("server.JSON");
    std::ofstream(json) << "[1,2,{\"progname\":\"ncdu\",\"progver\":\"2.3\",\"timestamp\":1700000000},\n"
                           "[{\"name\":\"/srv/www\",\"asize\":4096},{\"name\":\"small\",\"asize\":10},\n"
                           "[{\"name\":\"logs\",\"asize\":4096},{\"name\":\"a.log\",\"asize\":700}]]]\n";
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{json}, std::vector<std::string>{"--import", json}}) {
        auto form = makeForm(arguments);
        form->show();
        settle(*form);
        const EntryTree& tree = form->grid().tree();
        ASSERT_EQ(tree.EntryCount(), 4u);
        const EntryId root = tree.FirstEntry();
        EXPECT_EQ(tree.name(root), "/srv/www");
        EXPECT_EQ(tree.size(root), 710) << "a folder's own size is not added";
        EXPECT_EQ(tree.name(tree.childAt(root, 0)), "logs") << "sorted largest first";
        EXPECT_EQ(text(*form, "Label13"), QStringLiteral("完成"));
        EXPECT_EQ(text(*form, "labljv"), QStringLiteral("/srv/www"));
        EXPECT_EQ(text(*form, "lablx"), QStringLiteral("程序："));
        EXPECT_EQ(text(*form, "lablxv"), QStringLiteral("ncdu 2.3"));
        EXPECT_EQ(text(*form, "labcdxv"),
                  QDateTime::fromSecsSinceEpoch(1700000000).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        EXPECT_EQ(text(*form, "labrlv"), QString());

        messages.shown.clear();
        form->grid().FocusEntry(tree.childAt(root, 0));
        form->NRMClick();
        form->NOpenClick();
        form->NPropertyClick();
        const Message imported{"此条目来自导入的扫描结果，本机上没有对应的文件。", "提示信息",
                               MessageIcon::Information};
        EXPECT_EQ(messages.shown, (std::vector<Message>{imported, imported, imported}));
        EXPECT_TRUE(desktop.foldersShown.empty() && desktop.filesOpened.empty() && desktop.propertiesAsked.empty());

        // A scan afterwards is this machine's again.
        analyse(*form, folders.path());
        EXPECT_EQ(text(*form, "lablx"), QStringLiteral("类型："));
        form->grid().FocusEntry(form->grid().tree().FirstEntry());
        form->NOpenClick();
        EXPECT_EQ(desktop.foldersShown, std::vector<std::string>{folders.path()});
        desktop.foldersShown.clear();
    }
}

TEST_F(FormTest, ABadImportSaysWhereAndShowsNoTree)
{
    const std::string json = settings.pathOf("broken.json");
    std::ofstream(json) << "[1,2,{},[{\"name\":\"/srv\"},{\"name\":\"a\",\"asize\":1}";
    auto form = makeForm({"--import", json});
    QString stateWhileShown;
    messages.whileShown = [&] { stateWhileShown = text(*form, "Label13"); };
    form->show();
    settle(*form);
    EXPECT_EQ(form->grid().tree().EntryCount(), 0u);
    // As after a failed scan: scanning while the box is open, done afterwards.
    EXPECT_EQ(stateWhileShown, "正在扫描");
    EXPECT_EQ(text(*form, "Label13"), "完成");
    EXPECT_TRUE(child<QPushButton>(*form, "BTNRun")->isEnabled());
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back(),
              (Message{QStringLiteral("无法导入扫描结果：") + QString::fromStdString(json)
                           + QStringLiteral("\rbyte 47: the file ends early; expected ',' or ']'"),
                       "提示信息", MessageIcon::Error}));
    EXPECT_FALSE(form->run().isBusy());
}

TEST_F(FormTest, DroppedFoldersRunAtOnceAndOtherDropsAreIgnored)
{
    auto form = makeForm();
    form->TBOptionsClick();
    form->WMDropFiles({folders.pathOf("notes.txt"), folders.path()});
    settle(*form);
    EXPECT_EQ(form->grid().tree().EntryCount(), 0u) << "only the first item counts";

    form->WMDropFiles({folders.pathOf("music")});
    settle(*form);
    EXPECT_EQ(form->grid().tree().EntryCount(), 4u);
    EXPECT_EQ(text(*form, "LabCur"), "") << "a drop leaves the path label alone";
    EXPECT_EQ(child<QStackedWidget>(*form, "RzPageControlMain")->currentWidget()->objectName(), "TabReport");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FormTest, TheFolderDialogRunsOnlyWithAutomaticAnalysis)
{
    auto form = makeForm();
    picker.choice = QString::fromStdString(folders.pathOf("music"));
    form->RzBtnDirectoryClick();
    settle(*form);
    EXPECT_EQ(form->grid().tree().EntryCount(), 4u);
    EXPECT_EQ(picker.presets.back(), "");

    child<QCheckBox>(*form, "CBAuto")->click();
    picker.choice = QString::fromStdString(folders.path());
    form->RzBtnDirectoryClick();
    settle(*form);
    EXPECT_EQ(picker.presets.back(), QString::fromStdString(folders.pathOf("music")));
    EXPECT_EQ(form->run().folder(), folders.path());
    EXPECT_EQ(form->grid().tree().EntryCount(), 4u) << "chosen, not analysed";

    picker.choice = QString::fromStdString(folders.pathOf("notes.txt"));
    form->RzBtnDirectoryClick();
    settle(*form);
    EXPECT_EQ(messages.shown.back(), (Message{"请选择文件夹!", "提示信息", MessageIcon::Warning}));
    EXPECT_EQ(form->run().folder(), folders.path());

    picker.choice.reset();
    form->RzBtnDirectoryClick();
    settle(*form);
    EXPECT_EQ(messages.shown.size(), 1u) << "a cancelled dialog changes nothing";
}

TEST_F(FormTest, PagesToolbarAndVersion)
{
    auto form = makeForm();
    auto* pages = child<QStackedWidget>(*form, "RzPageControlMain");
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabReport");
    form->TBOptionsClick();
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabOptions");
    form->TBAboutClick();
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabAbout");

    // A run started elsewhere ends on the report page.
    analyse(*form, folders.path());
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabReport");

    EXPECT_EQ(text(*form, "LabVer"), "版本 3.0.5");
    EXPECT_EQ(ReplaceVersion(QStringLiteral("版本 $v$"), QStringLiteral("3.0.5")), "版本 3.0.5");
    EXPECT_EQ(ReplaceVersion(QStringLiteral("none"), QStringLiteral("3.0.5")), "none");
    EXPECT_EQ(form->windowTitle(), "Tallyvane [Vantori]");

    form->BTNHelpClick();
    form->BTNHomePageClick();
    ASSERT_EQ(desktop.opened.size(), 2);
    EXPECT_EQ(desktop.opened[0], QUrl::fromLocalFile(QStringLiteral("/opt/help/TallyvaneHelp.html")));
    EXPECT_EQ(desktop.opened[1], QUrl(QStringLiteral("https://www.tallyvane.example/")));
}

TEST_F(FormTest, SettingsAreReadAtStartAndWrittenOneAtATime)
{
    writeIni("[Col]\nC3=0\n[Skin]\nSk=0x3\n");
    auto form = makeForm();
    EXPECT_TRUE(form->grid().isColumnHidden(3));
    EXPECT_FALSE(child<QCheckBox>(*form, "CB3")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(*form, "RadioButton3")->isChecked());
    EXPECT_EQ(form->options().SkinNo, 3);
    EXPECT_EQ(readIni(), "[Col]\nC3=0\n[Skin]\nSk=3\n");

    child<QCheckBox>(*form, "CB3")->click();
    EXPECT_FALSE(form->grid().isColumnHidden(3));
    child<QRadioButton>(*form, "RadioButton5")->click();
    EXPECT_EQ(form->options().SkinNo, 5);
    EXPECT_EQ(readIni(), "[Col]\nC3=1\n[Skin]\nSk=5\n");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FormTest, ScanOptionsLoadAndSaveLikeTheOthersAndReachTheNextScan)
{
    writeIni("[Scan]\nOneFileSystem=1\nExclude=*.ogg\n");
    auto form = makeForm();
    auto* oneFileSystem = child<QCheckBox>(*form, "CBOneFileSystem");
    auto* hardLinks = child<QCheckBox>(*form, "CBHardLinks");
    auto* exclude = child<QLineEdit>(*form, "EDExclude");
    EXPECT_EQ(oneFileSystem->text(), "不跨越文件系统");
    EXPECT_EQ(hardLinks->text(), "硬链接只计一次");
    EXPECT_TRUE(oneFileSystem->isChecked());
    EXPECT_FALSE(hardLinks->isChecked());
    EXPECT_EQ(exclude->text(), "*.ogg");
    EXPECT_EQ(readIni(), "[Scan]\nOneFileSystem=1\nExclude=*.ogg\n") << "nothing written back at start";

    analyse(*form, folders.path());
    ResultGrid& grid = form->grid();
    const EntryTree& tree = grid.tree();
    EXPECT_EQ(tree.size(tree.FirstEntry()), 1000);
    EntryId song = tree.FirstEntry();
    while (song != NoEntry && tree.name(song) != "a.ogg")
        song = tree.NextEntry(song);
    ASSERT_NE(song, NoEntry);
    ASSERT_EQ(tree.name(song), "a.ogg");
    grid.showEntry(song); // the grid has rows for shown entries only
    const QModelIndex cell = grid.entryModel().indexOf(song);
    EXPECT_EQ(cell.data(Qt::ForegroundRole).value<QColor>(), QColor(EntryModel::LeftOutTextColor)) << "greyed";
    EXPECT_FALSE(cell.data(Qt::ToolTipRole).toString().isEmpty());
    EXPECT_FALSE(grid.entryModel().indexOf(tree.FirstEntry()).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(child<QLabel>(*form, "spProgressPanel")->isVisible()) << "a plain folder has no estimate";

    hardLinks->click();
    oneFileSystem->click();
    exclude->setText(QStringLiteral("live; "));
    emit exclude->editingFinished();
    EXPECT_EQ(readIni(), "[Scan]\nOneFileSystem=0\nExclude=live; \nHardLinks=once\n");
    EXPECT_EQ(form->options().excludeList(), std::vector<std::string>{"live"});
    emit exclude->editingFinished(); // nothing changed: nothing written
    EXPECT_TRUE(messages.shown.empty());

    form->BTNRunClick();
    settle(*form);
    EXPECT_EQ(tree.size(tree.FirstEntry()), 4000) << "the next scan takes the changed options";
    EXPECT_TRUE(form->run().scanOptions().countLinksOnce);
    EXPECT_FALSE(form->run().scanOptions().oneFileSystem);
}

TEST_F(FormTest, NoSettingsFileUntilAnOptionChanges)
{
    auto form = makeForm();
    EXPECT_FALSE(std::ifstream(iniPath()).good());
    EXPECT_TRUE(form->options().AutoAnalyze);
    child<QCheckBox>(*form, "CBAuto")->click();
    EXPECT_EQ(readIni(), "[Auto]\nAct=0\n");
}

TEST_F(FormTest, AFailedSettingsWriteIsShownAndTheWindowKeepsWorking)
{
    settings.makeFolder("config/Tallyvane.ini"); // a folder where the file should be
    auto form = makeForm();
    child<QCheckBox>(*form, "CB2")->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(
        messages.shown[0],
        (Message{QString::fromStdString("Unable to write to " + iniPath() + "."), "Tallyvane", MessageIcon::Error}));
    EXPECT_TRUE(form->grid().isColumnHidden(2)) << "the new state stays";
}

TEST_F(FormTest, AFolderNamedWithInvalidUtf8ArrivesByteForByte)
{
    const std::string name = "bad-\xFF\xFE-\xE5\x90\x8D";
    folders.makeFolder(name);
    folders.makeFile(name + "/inner.bin", 10);
    const std::string path = folders.pathOf(name);

    // On the command line, analysed, and handed on to the desktop by its own bytes.
    auto form = makeForm({path});
    EXPECT_EQ(form->run().folder(), path);
    form->BTNRunClick();
    settle(*form);
    const EntryTree& tree = form->grid().tree();
    ASSERT_EQ(tree.EntryCount(), 2u);
    EXPECT_EQ(tree.name(tree.FirstEntry()), path);
    form->grid().FocusEntry(tree.FirstEntry());
    form->NRMClick();
    form->NPropertyClick();
    form->grid().FocusEntry(tree.FirstChildEntry(tree.FirstEntry()));
    form->NOpenClick();
    EXPECT_EQ(desktop.foldersShown, (std::vector<std::string>{path}));
    EXPECT_EQ(desktop.propertiesAsked, (std::vector<std::string>{path + "/"}));
    EXPECT_EQ(desktop.filesOpened, (std::vector<std::string>{path + "/inner.bin"}));

    // Dropped, as a file manager's URL list carries it.
    auto dropped = makeForm();
    QMimeData data;
    data.setUrls({LocalFileUrl(path)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(dropped.get())->event(&drop);
    settle(*dropped);
    EXPECT_EQ(dropped->run().folder(), path);
    EXPECT_EQ(dropped->grid().tree().name(dropped->grid().tree().FirstEntry()), path);

    // The temporary folder's own cleanup goes by decoded names, which miss these bytes.
    ::unlink((path + "/inner.bin").c_str());
    ::rmdir(path.c_str());
}

TEST_F(FormTest, ARelativeFolderOnTheCommandLineIsMadeAbsoluteWithoutResolvingLinks)
{
    folders.makeSymlink("linked", folders.path() + "/music");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(folders.path())));
    auto form = makeForm({"./linked/../linked/"});
    QDir::setCurrent(previous);
    EXPECT_EQ(form->run().folder(), folders.pathOf("linked"));
    EXPECT_EQ(text(*form, "LabCur"), QString::fromStdString(folders.pathOf("linked")));
}

TEST_F(FormTest, ALongPathNeverWidensTheWindowAndIsElidedInTheMiddleWithItsWholeTextAsTip)
{
    // A deep folder with long Chinese names, its path far wider than the screen.
    std::string relative;
    for (const char* name :
         {"文档", "工作项目", "2024年度", "客户资料汇总", "北京分公司", "财务部门", "季度报表", "第三季度",
          "最终审核版本", "附件与补充材料", "第一批次扫描件", "原始凭证与发票存根", "经办人签字确认页",
          "补充说明与往来函件", "二〇二四年十月十五日收到的更正版本", "归档前最后一次复核"}) {
        relative += (relative.empty() ? "" : "/") + std::string(name);
        folders.makeFolder(relative);
    }
    folders.makeFile(relative + "/合同.pdf", 100);
    const std::string path = folders.pathOf(relative);
    const QString shownPath = QString::fromStdString(path);
    ASSERT_GT(QFontMetrics(QFont()).horizontalAdvance(shownPath), 848 * 3 / 2);

    auto form = makeForm({path});
    form->resize(848, 605);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    settle(*form); // the command-line run

    auto* label = child<ElidedLabel>(*form, "LabCur");
    auto* status = child<ElidedLabel>(*form, "spSkinStatusPanel1");
    EXPECT_EQ(label->text(), shownPath);
    EXPECT_EQ(status->text(), shownPath) << "the folder scanned last";
    for (ElidedLabel* elided : {label, status}) {
        const QString shown = elided->shownText();
        EXPECT_TRUE(shown.contains(QStringLiteral("…"))) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("/"))) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QStringLiteral("复核"))) << "the name at the end stays: " << shown.toStdString();
        EXPECT_LE(elided->fontMetrics().horizontalAdvance(shown), elided->contentsRect().width());

        QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), elided->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(elided, &hover);
        EXPECT_EQ(QToolTip::text(), shownPath);
        QToolTip::hideText();
    }

    // The window keeps its size and can still be narrowed: neither its layout nor what it asks
    // of the desktop (the platform window's size hints) carries the path's width.
    EXPECT_EQ(form->size(), QSize(848, 605));
    EXPECT_LE(form->minimumSizeHint().width(), 848);
    EXPECT_LE(form->windowHandle()->minimumSize().width(), 848);
    for (const char* name : {"LabVer", "RzBtnDirectory", "BTNRun"}) {
        auto* widget = child<QWidget>(*form, name);
        const QRect inWindow(widget->mapTo(form.get(), QPoint(0, 0)), widget->size());
        EXPECT_TRUE(form->rect().contains(inWindow)) << name << " stays in view";
    }
}

TEST_F(FormTest, DropsOnlyCopyOrLinkAndAnIgnoredDropIsRefused)
{
    auto form = makeForm();
    QMimeData folder;
    folder.setUrls({LocalFileUrl(folders.pathOf("music"))});
    QMimeData file;
    file.setUrls({LocalFileUrl(folders.pathOf("notes.txt"))});
    QMimeData text;
    text.setText(QStringLiteral("music"));

    struct Case {
        const char* name;
        QMimeData* data;
        Qt::DropActions possible;
        Qt::KeyboardModifiers proposed; // the keys that make the source propose an action
        bool accepted;
        Qt::DropAction taken;
    };
    const Qt::KeyboardModifiers Move = Qt::ShiftModifier;
    const Qt::KeyboardModifiers Copy = Qt::ControlModifier;
    const Qt::KeyboardModifiers Link = Qt::ControlModifier | Qt::ShiftModifier;
    const Case entering[] = {
        {"move proposed, copy possible", &folder, Qt::CopyAction | Qt::MoveAction, Move, true, Qt::CopyAction},
        {"move proposed, link possible", &folder, Qt::MoveAction | Qt::LinkAction, Move, true, Qt::LinkAction},
        {"copy proposed", &folder, Qt::CopyAction | Qt::MoveAction, Copy, true, Qt::CopyAction},
        {"link proposed", &folder, Qt::CopyAction | Qt::LinkAction, Link, true, Qt::LinkAction},
        {"move only", &folder, Qt::MoveAction, Move, false, Qt::IgnoreAction},
        {"no addresses", &text, Qt::CopyAction, Copy, false, Qt::IgnoreAction},
    };
    for (const Case& c : entering) {
        QDragEnterEvent enter(QPoint(10, 10), c.possible, c.data, Qt::LeftButton, c.proposed);
        static_cast<QObject*>(form.get())->event(&enter);
        EXPECT_EQ(enter.isAccepted(), c.accepted) << c.name;
        if (c.accepted) {
            EXPECT_EQ(enter.dropAction(), c.taken) << c.name;
        }
    }

    // A drop the window ignores (a file) is refused; a folder is taken as a copy, never a move.
    QDropEvent ignored(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &file, Qt::LeftButton, Move);
    ASSERT_EQ(ignored.proposedAction(), Qt::MoveAction);
    static_cast<QObject*>(form.get())->event(&ignored);
    EXPECT_FALSE(ignored.isAccepted());
    EXPECT_EQ(ignored.dropAction(), Qt::IgnoreAction);

    QDropEvent taken(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &folder, Qt::LeftButton, Move);
    static_cast<QObject*>(form.get())->event(&taken);
    EXPECT_TRUE(taken.isAccepted());
    EXPECT_EQ(taken.dropAction(), Qt::CopyAction);
    settle(*form);
    EXPECT_EQ(form->grid().tree().EntryCount(), 4u);
}

TEST_F(FormTest, TheClientAreaIs848By605WithA68PixelToolbarOnEverySkin)
{
    auto form = makeForm();
    form->resize(848, 605);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto* toolbar = child<QToolBar>(*form, "RzToolbar1");
    for (int skin : {1, 2, 3, 4, 5, 6, 1}) {
        child<QRadioButton>(*form, ("RadioButton" + std::to_string(skin)).c_str())->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(form->size(), QSize(848, 605)) << "skin " << skin;
        EXPECT_EQ(toolbar->height(), 68) << "skin " << skin;
        EXPECT_LE(form->windowHandle()->minimumSize().height(), 605) << "skin " << skin;
    }
}

TEST_F(FormTest, ASharedAccessKeyMovesTheFocusAmongItsButtonsAndSpacePressesTheFocusedOne)
{
    auto form = makeForm();
    form->resize(848, 605);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto* pages = child<QStackedWidget>(*form, "RzPageControlMain");
    const auto focusName = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };

    QTest::keyClick(form.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(focusName(), "TBOptions");
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabReport") << "a shared key only moves the focus";
    QTest::keyClick(form.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(focusName(), "TBAbout");
    QTest::keyClick(form.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(focusName(), "TBOptions") << "round again";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabOptions");

    QTest::keyClick(form.get(), Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(focusName(), "BTNHelp");
    QTest::keyClick(form.get(), Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(focusName(), "BTNHomePage");
    EXPECT_TRUE(desktop.opened.isEmpty());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !desktop.opened.isEmpty(); }))
        << "the button shows itself pressed, then acts";
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened.front(), QUrl(QStringLiteral("https://www.tallyvane.example/")));

    // A key of one button alone presses it at once.
    QTest::keyClick(form.get(), Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pages->currentWidget()->objectName() == "TabReport"; }));
}

// The contrast ratio of two colours as the web's accessibility guidelines define it, from 1 (the
// same) to 21 (black on white).
double contrastRatio(QRgb first, QRgb second)
{
    const auto luminance = [](QRgb colour) {
        const auto linear = [](int channel) {
            const double c = channel / 255.0;
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) + 0.0722 * linear(qBlue(colour));
    };
    const double a = luminance(first) + 0.05;
    const double b = luminance(second) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

// The share of a toolbar button's picture edge that reads against what the button shows around
// it. The edge is where the picture's silhouette meets the background: its pixels are blended
// over the very background the button paints there (gradients included) and compared with it.
double readableEdgeShare(QToolButton& button)
{
    const QIcon picture = button.icon();
    const QSize size = button.iconSize();
    const auto grabWith = [&](const QPixmap& stand_in) {
        button.setIcon(QIcon(stand_in));
        // Through the toolbar, which paints the background a transparent button shows.
        return button.parentWidget()->grab(button.geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    QPixmap marker(size);
    marker.fill(QColor(255, 0, 255));
    const QImage marked = grabWith(marker);
    QPixmap clear(size);
    clear.fill(Qt::transparent);
    const QImage background = grabWith(clear);
    button.setIcon(picture);

    QRect place;
    for (int y = 0; y < marked.height(); ++y)
        for (int x = 0; x < marked.width(); ++x)
            if (marked.pixel(x, y) == qRgb(255, 0, 255))
                place |= QRect(x, y, 1, 1);
    EXPECT_EQ(place.size(), size) << button.objectName().toStdString();

    const QImage alpha = picture.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    const auto solid = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < alpha.width() && y < alpha.height() && qAlpha(alpha.pixel(x, y)) >= 128;
    };
    int edge = 0;
    int readable = 0;
    for (int y = 0; y < alpha.height(); ++y) {
        for (int x = 0; x < alpha.width(); ++x) {
            if (!solid(x, y) || (solid(x - 1, y) && solid(x + 1, y) && solid(x, y - 1) && solid(x, y + 1)))
                continue;
            const QRgb under = background.pixel(place.x() + x, place.y() + y);
            const QRgb over = alpha.pixel(x, y);
            const double a = qAlpha(over) / 255.0;
            const auto blend = [a](int top, int bottom) {
                return static_cast<int>(std::lround(a * top + (1 - a) * bottom));
            };
            const QRgb seen = qRgb(blend(qRed(over), qRed(under)), blend(qGreen(over), qGreen(under)),
                                   blend(qBlue(over), qBlue(under)));
            ++edge;
            if (contrastRatio(seen, under) >= 3.0)
                ++readable;
        }
    }
    return edge == 0 ? 0.0 : double(readable) / edge;
}

TEST_F(FormTest, EveryToolbarPictureStandsOutOnEverySkin)
{
    auto form = makeForm();
    form->resize(848, 605);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    for (int skin = 1; skin <= Settings::SkinCount; ++skin) {
        child<QRadioButton>(*form, ("RadioButton" + std::to_string(skin)).c_str())->click();
        QCoreApplication::processEvents();
        for (ToolbarButton* button : child<QToolBar>(*form, "RzToolbar1")->findChildren<ToolbarButton*>()) {
            EXPECT_EQ(button->iconSize(), QSize(32, 32));
            // A few edge pixels may blend into the background where the outline is antialiased.
            EXPECT_GE(readableEdgeShare(*button), 0.9)
                << SkinEngine::skinName(skin).toStdString() << ' ' << button->objectName().toStdString();
        }
    }
}

TEST_F(FormTest, AboutPageLinksTakeTheVisitedColourOnceTheDesktopOpenedThem)
{
    auto form = makeForm();
    auto* home = child<QLabel>(*form, "RzURLLabel4");
    auto* mail = child<QLabel>(*form, "RzURLLabel1");
    const QString visited = home->palette().color(QPalette::LinkVisited).name();
    const auto click = [](QLabel* label, const QString& address) { emit label->linkActivated(address); };
    EXPECT_FALSE(home->text().contains(visited));

    desktop.opens = false;
    click(home, QStringLiteral("https://www.tallyvane.example/"));
    EXPECT_FALSE(home->text().contains(visited)) << "a failed open leaves the link as it was";

    desktop.opens = true;
    click(home, QStringLiteral("https://www.tallyvane.example/"));
    EXPECT_TRUE(home->text().contains(visited)) << home->text().toStdString();
    EXPECT_TRUE(home->text().contains(QStringLiteral("https://www.tallyvane.example/")));
    EXPECT_FALSE(mail->text().contains(visited)) << "each link on its own";

    click(mail, QStringLiteral("mailto:support@tallyvane.example"));
    EXPECT_TRUE(mail->text().contains(visited));
    EXPECT_TRUE(mail->text().contains(QStringLiteral(">support@tallyvane.example</a>")))
        << "the address is shown without mailto:";
    ASSERT_EQ(desktop.opened.size(), 3);
    EXPECT_EQ(desktop.opened.back(), QUrl(QStringLiteral("mailto:support@tallyvane.example")));
}

TEST_F(FormTest, ASkinLooksTheSameWhicheverWayItWasReached)
{
    const auto picture = [](TFormTallyvane& form) {
        QCoreApplication::processEvents();
        return form.grab().toImage();
    };
    const auto shown = [this](int skin) {
        if (skin != 1)
            writeIni("[Skin]\nSk=" + std::to_string(skin) + "\n");
        auto form = makeForm();
        form->resize(848, 605);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    };
    const auto choose = [](TFormTallyvane& form, int skin) {
        form.findChild<QRadioButton*>(QStringLiteral("RadioButton%1").arg(skin))->click();
    };

    for (const int skin : {1, 2}) {
        QImage atStart;
        {
            auto form = shown(skin);
            atStart = picture(*form);
        }
        std::remove(iniPath().c_str());
        auto form = shown(1);
        const int other = skin == 1 ? 2 : 1;
        choose(*form, other);
        picture(*form);
        choose(*form, skin);
        const QImage switched = picture(*form);
        EXPECT_EQ(switched.size(), atStart.size()) << "skin " << skin;
        EXPECT_EQ(form->size(), QSize(848, 605)) << "skin " << skin;
        EXPECT_TRUE(switched == atStart) << "skin " << skin << " differs after switching";
        if (switched != atStart) {
            atStart.save(QStringLiteral("/tmp/wt12-start-%1.png").arg(skin));
            switched.save(QStringLiteral("/tmp/wt12-switched-%1.png").arg(skin));
        }
        std::remove(iniPath().c_str());
    }
}

class MenuTest : public FormTest {
protected:
    MenuTest() : form(makeForm()) { analyse(*form, folders.path()); }

    EntryId entry(const std::string& relative)
    {
        const EntryTree& tree = form->grid().tree();
        const std::string path = folders.path() + (relative.empty() ? "" : "/" + relative) + "/";
        for (EntryId e = tree.FirstEntry(); e != NoEntry; e = tree.NextEntry(e)) {
            if (tree.EntryPath(e) == path)
                return e;
        }
        ADD_FAILURE() << "no entry " << relative;
        return NoEntry;
    }

    std::string pathOf(const std::string& relative) const { return folders.pathOf(relative); }

    std::unique_ptr<TFormTallyvane> form;
};

TEST_F(MenuTest, ShellCommandsHandTheFocusedEntryToTheDesktop)
{
    ResultGrid& grid = form->grid();
    grid.FocusEntry(entry("music"));
    form->NRMClick();
    form->NOpenClick();
    form->NPropertyClick();
    grid.FocusEntry(entry("notes.txt"));
    form->NRMClick();
    form->NOpenClick();
    form->NPropertyClick();

    EXPECT_EQ(desktop.foldersShown, (std::vector<std::string>{pathOf("music"), pathOf("music"), folders.path()}));
    EXPECT_EQ(desktop.filesOpened, (std::vector<std::string>{pathOf("notes.txt")}));
    EXPECT_EQ(desktop.propertiesAsked, (std::vector<std::string>{pathOf("music") + "/", pathOf("notes.txt")}));

    // Nothing focused: nothing happens.
    grid.FocusEntry(NoEntry);
    form->NRMClick();
    form->NOpenClick();
    form->NPropertyClick();
    form->NSerchClick();
    EXPECT_EQ(desktop.foldersShown.size() + desktop.filesOpened.size() + desktop.propertiesAsked.size(), 6u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MenuTest, TheTreemapPageFollowsTheGridAndLeadsBackToIt)
{
    auto* tabs = child<QTabWidget>(*form, "RzPageControl1");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(3), "树图");
    auto* treemap = child<TreemapView>(*form, "TabTreemap");

    form->grid().FocusEntry(entry("music/live"));
    EXPECT_EQ(treemap->outlinedEntry(), entry("music/live")) << "the grid's focus is outlined";

    emit treemap->entryClicked(entry("music"));
    EXPECT_EQ(form->grid().FocusedEntry(), entry("music"));
    EXPECT_EQ(form->grid().SelectedEntry(), entry("music"));

    emit treemap->entryHovered(entry("music"));
    EXPECT_EQ(text(*form, "spSkinStatusPanel1"), QString::fromStdString(pathOf("music") + "  " + SizeToText(9000)));
}

TEST_F(MenuTest, WithoutAFileManagerTheProgramShowsThePropertiesItself)
{
    desktop.fileManagerAnswers = false;
    form->grid().FocusEntry(entry("music"));
    form->NPropertyClick();
    auto* dialog = form->findChild<QDialog*>(QStringLiteral("PropertiesDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    dialog->close();
}

TEST_F(MenuTest, SearchResultsAreRevealedFocusedAndSelected)
{
    form->grid().FocusEntry(entry("notes.txt"));
    form->NSerchClick();
    auto* search = form->findChild<SearchWindow*>(QStringLiteral("SearchWindow"));
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->isVisible());
    const EntryId found = entry("music/live/b.ogg");
    emit search->entryChosen(found);
    EXPECT_EQ(form->grid().FocusedEntry(), found);
    EXPECT_EQ(form->grid().SelectedEntry(), found);
    EXPECT_TRUE(form->grid().IsExpanded(entry("music/live")));
    search->close();
}

TEST_F(MenuTest, TheLargestFileBelowIsRevealedAndFocused)
{
    ResultGrid& grid = form->grid();
    grid.FocusEntry(entry("notes.txt"));
    form->NFindMaxClick();
    EXPECT_EQ(grid.FocusedEntry(), entry("notes.txt")) << "a file has nothing below it";

    grid.FocusEntry(entry(""));
    form->NFindMaxClick();
    const EntryId largest = entry("music/live/b.ogg");
    EXPECT_EQ(grid.FocusedEntry(), largest);
    EXPECT_EQ(grid.SelectedEntry(), largest);
    EXPECT_TRUE(grid.IsExpanded(entry("music")));
    EXPECT_TRUE(grid.IsExpanded(entry("music/live")));
}

TEST_F(MenuTest, ExpandAndCollapseAllAndTheRowCount)
{
    ResultGrid& grid = form->grid();
    grid.FocusEntry(entry(""));
    form->NExpClick();
    EXPECT_TRUE(grid.IsExpanded(entry("music/live")));
    form->NCollapseClick();
    EXPECT_FALSE(grid.IsExpanded(entry("music")));
    EXPECT_FALSE(grid.IsExpanded(entry("")));

    form->NCountClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (Message{"6行", "统计", MessageIcon::None}));
}

// The pop-up's commands on a chain of 100,000 folders with a file at the bottom, on the stack a
// desktop gives the main thread: Qt's tree view, which lays expanded levels out recursively,
// overflowed it at about 26,000 levels.
TEST_F(FormTest, TheMenuCommandsWorkOnAHundredThousandFoldersDeepChain)
{
    constexpr int Depth = 100'000;
    FixtureTree deep(QStringLiteral("/dev/shm"));
    deep.makeChain("", "d", Depth, "bottom.bin", 5000);
    const test::StackLimit stack(test::StackLimit::Desktop);
    auto form = makeForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    analyse(*form, deep.path());
    ResultGrid& grid = form->grid();
    const EntryTree& tree = grid.tree();
    ASSERT_EQ(tree.EntryCount(), std::size_t{Depth} + 2);
    const EntryId root = tree.FirstEntry();
    const auto rows = [&grid] { return grid.model()->rowCount(); };

    // Largest file: revealed, focused and selected at the bottom of 100,002 rows.
    form->NFindMaxClick();
    const EntryId bottom = grid.FocusedEntry();
    ASSERT_EQ(tree.name(bottom), "bottom.bin");
    EXPECT_EQ(tree.EntryLevel(bottom), Depth + 1);
    EXPECT_EQ(grid.SelectedEntry(), bottom);
    EXPECT_EQ(rows(), Depth + 2);
    EXPECT_EQ(grid.currentIndex().row(), Depth + 1);
    grid.viewport()->grab();

    // Collapse all from the root pulls the focus up to it; expand all opens every level again.
    grid.FocusEntry(root);
    form->NCollapseClick();
    EXPECT_EQ(rows(), 1);
    EXPECT_FALSE(grid.IsExpanded(root));
    form->NExpClick();
    EXPECT_EQ(rows(), Depth + 2);
    EXPECT_TRUE(grid.IsExpanded(tree.ParentEntry(bottom)));

    // Scrolling to the bottom and back, painted each time.
    QScrollBar* bar = grid.verticalScrollBar();
    bar->setValue(bar->maximum());
    grid.viewport()->grab();
    EXPECT_NE(EntryModel::entryOf(grid.indexAt(grid.viewport()->rect().center())), NoEntry);
    bar->setValue(0);
    grid.viewport()->grab();
    EXPECT_EQ(EntryModel::entryOf(grid.indexAt({1, 1})), root);

    // Reveal from a collapsed tree, as the search and the treemap do; the status shows the path.
    form->NCollapseClick();
    grid.showEntry(bottom);
    EXPECT_EQ(grid.FocusedEntry(), bottom);
    EXPECT_EQ(grid.currentIndex().row(), Depth + 1);
    grid.viewport()->grab();
    form->grab();
    QTest::keyClick(&grid, Qt::Key_Home);
    EXPECT_EQ(grid.FocusedEntry(), root);
}

TEST_F(MenuTest, ReportsAreSavedWithCrLfOnlyWhenTheUserChoosesAFile)
{
    form->Html1Click();
    EXPECT_EQ(saveDialog.asked, QStringList{"html *.html"});

    const std::string path = settings.pathOf("report.txt");
    saveDialog.choice = QString::fromStdString(path);
    form->Text1Click();
    const std::string saved = ReadFileText(path);
    EXPECT_TRUE(saved.starts_with("名称\t\t\t\t大小(字节)\t")) << saved;
    EXPECT_TRUE(saved.ends_with("\r\n"));
    EXPECT_NE(saved.find("\r\n\t\t\tb.ogg\t6,000\t"), std::string::npos);
    EXPECT_EQ(saveDialog.asked.back(), "txt *.txt");

    form->Rtf1Click();
    const std::string rtf = ReadFileText(path);
    EXPECT_TRUE(rtf.starts_with("{\\rtf1"));
    EXPECT_TRUE(rtf.ends_with("}\r\n"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MenuTest, AFailedSaveIsShownAndKeepsTheOldFile)
{
    settings.makeFolder("taken.html");
    saveDialog.choice = QString::fromStdString(settings.pathOf("taken.html"));
    form->findChild<QAction*>(QStringLiteral("Html1"))->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              (Message{QString::fromStdString("Cannot create file \"" + settings.pathOf("taken.html")
                                              + "\". Is a directory."),
                       "Tallyvane", MessageIcon::Error}));

    // A disk that fills up halfway: the old report stays whole.
    const std::string old = settings.pathOf("old.html");
    std::ofstream(old) << "old report";
    saveDialog.choice = QString::fromStdString(old);
    {
        const test::SmallDisk disk(64);
        form->findChild<QAction*>(QStringLiteral("Html1"))->trigger();
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1], (Message{"Stream write error.", "Tallyvane", MessageIcon::Error}));
    EXPECT_EQ(ReadFileText(old), "old report");
}

TEST_F(FormTest, TheFileManagerEntryIsAddedAndRemovedWithTheirMessages)
{
    auto form = makeForm();
    child<QPushButton>(*form, "BTNAddReg")->click();
    const std::string entry = settings.pathOf("data/applications/tallyvane-folder.desktop");
    EXPECT_TRUE(std::ifstream(entry).good());
    child<QPushButton>(*form, "BTNDelReg")->click();
    EXPECT_FALSE(std::ifstream(entry).good());
    settings.makeFolder("data/applications/tallyvane-folder.desktop"); // cannot be written now
    child<QPushButton>(*form, "BTNAddReg")->click();
    EXPECT_EQ(messages.shown,
              (std::vector<Message>{{"系统右键菜单已注册！", "提示信息", MessageIcon::Information},
                                    {"系统右键菜单已删除！", "提示信息", MessageIcon::Information},
                                    {"系统右键菜单注册失败！", "提示信息", MessageIcon::Error}}));
}

TEST_F(FormTest, AFailedWriteBackAtStartEndsTheCreationStepsButTheWindowOpens)
{
    writeIni("; hand-written settings, longer than the disk will take\n[Col]\nC3=0\n");
    // A disk that takes no more than a few bytes: root writes past permission bits.
    std::unique_ptr<TFormTallyvane> form;
    {
        const test::SmallDisk disk(16);
        form = makeForm({folders.path()});
    }

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(
        messages.shown[0],
        (Message{QString::fromStdString("Unable to write to " + iniPath() + "."), "Tallyvane", MessageIcon::Error}));
    EXPECT_TRUE(form->run().folder().empty()) << "the later creation steps are skipped";
    EXPECT_EQ(text(*form, "LabVer"), "版本 $V$");
    EXPECT_EQ(readIni(), "; hand-written settings, longer than the disk will take\n[Col]\nC3=0\n");
}

} // namespace
} // namespace tallyvane
