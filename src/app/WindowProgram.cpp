// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the program, in a module of its own that main() loads only when the
// command line asks for no report.
#include "app/FolderPicker.h"
#include "app/Settings.h"
#include "app/TFormTallyvane.h"
#include "app/TallyvaneApplication.h"
#include "cli/ExportCommand.h"
#include "commands/MessageBoxes.h"
#include "commands/SaveDialog.h"
#include "desktop/Desktop.h"
#include "desktop/FileManagerIntegration.h"
#include "desktop/SystemIcons.h"
#include "platform/FileFacts.h"
#include "platform/FileNames.h"
#include "platform/MemoryReserve.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixVolumeQueries.h"
#include "platform/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

#include <unistd.h>

#include <cstdio>

using namespace tallyvane;

namespace {

// The help page beside the program (a build tree or a portable copy), else where an
// installation puts it.
QString helpPagePath()
{
    const QString name = QStringLiteral("TallyvaneHelp.html");
    const QDir programFolder(QCoreApplication::applicationDirPath());
    if (QFileInfo::exists(programFolder.filePath(name)))
        return programFolder.filePath(name);
    return QDir::cleanPath(programFolder.filePath(QStringLiteral("../share/tallyvane/") + name));
}

// Qt starts threads of its own and waits for what it gave them: painting a large fill waits for
// the thread pool's tasks, the session bus for its connection's thread. A thread that cannot
// start is only warned of, and that wait goes on for good, so the warning ends the program in
// one line that says why.
QtMessageHandler qtMessages = nullptr;

void endWhereAThreadCannotStart(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QThread::start: Thread creation error"))) {
        std::fputs("tallyvane: cannot run the window: no room to start a thread\n", stderr);
        ::_exit(1);
    }
    qtMessages(type, context, message);
}

} // namespace

// commandLine: the program's arguments as main() read them; the window reads none itself.
extern "C" __attribute__((visibility("default"))) int tallyvaneWindowMain(int argc, char* argv[],
                                                                          const ExportOptions* commandLine)
{
    qtMessages = qInstallMessageHandler(endWhereAThreadCannotStart);
    TallyvaneApplication application(argc, argv);
    // The program speaks Chinese; Qt's own buttons and dialogs follow when their texts exist.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    QtMessageBoxes messages;
    application.setErrorBoxes(&messages);
    Settings settings = Settings::load(IniFile(SettingsPath()));
    // The command line's thread count for this session, else the settings'.
    const unsigned threads = commandLine->threads ? commandLine->threads : static_cast<unsigned>(settings.ScanThreads);
    PosixFileSystem fileSystem({.threads = threads});
    PosixFileFacts fileFacts;
    PosixVolumeQueries volumes;
    QtFolderPicker folderPicker;
    QtSaveDialog saveDialog;
    QtDesktop desktop;
    PosixMemoryReserve memoryReserve(WindowReserveBytes);
    WindowServices services{fileSystem, fileFacts, volumes,       SystemIcons(),  messages,       folderPicker,
                            saveDialog, desktop,   memoryReserve, SettingsPath(), helpPagePath(), UserDataHome()};

    TFormTallyvane form(services, std::move(settings), *commandLine);
    messages.setOwner(&form);
    form.resize(848, 605);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = form.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        form.move(frame.topLeft());
    }
    form.show();
    return application.exec();
}
