// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the main window's analysis of a folder offscreen and measures how long the window goes
// without handling its events: a 5 ms timer records the longest gap between its ticks from the
// click on 分析 until the result is shown.
// Usage: QT_QPA_PLATFORM=offscreen window_benchmark FOLDER
#include "app/FolderPicker.h"
#include "app/RunController.h"
#include "app/TFormTallyvane.h"
#include "cli/ExportCommand.h"
#include "commands/MessageBoxes.h"
#include "commands/SaveDialog.h"
#include "desktop/Desktop.h"
#include "desktop/SystemIcons.h"
#include "platform/FileFacts.h"
#include "platform/MemoryReserve.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixVolumeQueries.h"
#include "views/ResultGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace tallyvane;

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_benchmark FOLDER [THREADS]\n");
        return 2;
    }
    QTemporaryDir settings;
    // The reading threads, as [Scan] Threads= gives them: 0 automatic, 1 the scan's own thread.
    PosixFileSystem fileSystem({.threads = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 0u});
    PosixFileFacts fileFacts;
    PosixVolumeQueries volumes;
    QtMessageBoxes messages;
    QtFolderPicker folderPicker;
    QtSaveDialog saveDialog;
    QtDesktop desktop;
    PosixMemoryReserve memoryReserve(WindowReserveBytes);
    WindowServices services{fileSystem,
                            fileFacts,
                            volumes,
                            SystemIcons(),
                            messages,
                            folderPicker,
                            saveDialog,
                            desktop,
                            memoryReserve,
                            settings.filePath(QStringLiteral("Tallyvane.ini")).toStdString(),
                            {},
                            settings.path().toStdString()};
    TFormTallyvane form(services, Settings{}, ExportOptions{});
    form.resize(848, 605);
    form.show();
    QApplication::processEvents();

    QElapsedTimer sinceTick;
    QElapsedTimer sinceStart;
    qint64 longestGap = 0;
    qint64 longestGapEnded = 0; // when, after the click
    int ticks = 0;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (sinceTick.isValid() && sinceTick.elapsed() > longestGap) {
            longestGap = sinceTick.elapsed();
            longestGapEnded = sinceStart.isValid() ? sinceStart.elapsed() : -1;
        }
        sinceTick.restart();
        ++ticks;
    });
    probe.start();

    form.run().setFolder(argv[1]);
    QElapsedTimer run;
    run.start();
    sinceStart.start();
    QObject::connect(&form.run(), &RunController::runEnded, &application, [&] {
        // The result is on screen once the events the end of the run posted are handled. Not
        // quit(), which would ask every window to close, and the window would ask first.
        QTimer::singleShot(0, &application, [] { QCoreApplication::exit(0); });
    });
    form.BTNRunClick();
    if (form.run().isBusy())
        application.exec();
    const qint64 total = run.elapsed();
    probe.stop();

    std::printf("entries                    %lld\n", static_cast<long long>(form.grid().tree().EntryCount()));
    std::printf("run (scan, sort, paint)    %lld ms\n", static_cast<long long>(total));
    std::printf("probe ticks handled        %d\n", ticks);
    std::printf("longest gap between ticks  %lld ms, ended %lld ms after the click\n",
                static_cast<long long>(longestGap), static_cast<long long>(longestGapEnded));
    return 0;
}
