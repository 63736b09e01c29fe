// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstddef>
#include <string>

namespace tallyvane {

class Desktop;
class FileFactsSource;
class FileSystem;
class FolderPicker;
class MemoryReserve;
class MessageBoxes;
class SaveDialog;
class SystemIconList;
class VolumeQueries;

// The room the window keeps for itself while a scan fills a tree: enough to show a large tree's
// grid, chart and treemap, or the box saying that the scan ran out of memory.
inline constexpr std::size_t WindowReserveBytes = 32 * 1024 * 1024;

// Everything the main window asks of the world outside the program: the file system, the
// desktop, message boxes and dialogs. Tests hand in recording fakes.
struct WindowServices {
    FileSystem& fileSystem;
    FileFactsSource& fileFacts;
    VolumeQueries& volumes;
    SystemIconList& systemIcons;
    MessageBoxes& messages;
    FolderPicker& folderPicker;
    SaveDialog& saveDialog;
    Desktop& desktop;
    // Kept free while a scan fills a tree (the scan fails when it cannot be had);
    // WindowReserveBytes for the real one.
    MemoryReserve& memoryReserve;
    std::string settingsPath; // the settings file
    QString helpPath;         // the help page
    std::string dataHome;     // where the file-manager entries go
};

} // namespace tallyvane
