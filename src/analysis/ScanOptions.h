// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace tallyvane {

// What a scan leaves out or counts differently. As made, nothing: every folder is entered and
// every link of a file counts its size.
struct ScanOptions {
    // Folders on another device than the scanned folder are listed empty and not entered.
    bool oneFileSystem = false;
    // A file with several links counts its size at the first link met only.
    bool countLinksOnce = false;
    // Entries that match one of these patterns (see ExcludePatterns) are listed empty.
    std::vector<std::string> exclude = {};
};

// The settings' options with what the command line adds for this session: the options it turns
// on, and its patterns after the settings' own.
inline ScanOptions MergedScanOptions(ScanOptions settings, const ScanOptions& commandLine)
{
    settings.oneFileSystem = settings.oneFileSystem || commandLine.oneFileSystem;
    settings.countLinksOnce = settings.countLinksOnce || commandLine.countLinksOnce;
    settings.exclude.insert(settings.exclude.end(), commandLine.exclude.begin(), commandLine.exclude.end());
    return settings;
}

} // namespace tallyvane
