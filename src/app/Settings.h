// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/ScanOptions.h"
#include "platform/IniFile.h"
#include "presentation/GridColumns.h"

#include <array>
#include <string>
#include <vector>

namespace tallyvane {

// A save code names one setting and its key, as the options page's controls carry it in their
// tags: 1 [Auto] Act, 2..7 [Col] C1..C6, 8 [Skin] Sk, and the scan options 9 [Scan]
// OneFileSystem, 10 [Scan] HardLinks, 11 [Scan] Exclude.
inline constexpr int SaveCodeAuto = 1;
inline constexpr int SaveCodeSkin = 8;
inline constexpr int SaveCodeOneFileSystem = 9;
inline constexpr int SaveCodeHardLinks = 10;
inline constexpr int SaveCodeExclude = 11;
constexpr int SaveCodeOfColumn(int column) // grid columns 1..6
{
    return column + 1;
}

// The options of the options page. Each member's initial value is both the default for a
// missing or unreadable setting and the state the options page is created in.
struct Settings {
    static constexpr int SkinCount = 6;
    static constexpr int ColumnCount = OptionalColumnCount;

    bool AutoAnalyze = true;
    // ColShow[k - 1] tells whether grid column k is shown.
    std::array<bool, ColumnCount> ColShow{true, true, true, true, true, true};
    // Keeps a number outside 1..SkinCount as read, though skin 1 stays in effect then; the
    // file holds it until the user picks a skin.
    int SkinNo = 1;
    // [Scan] Threads: how many threads read the file system (0 automatic, 1 the scan's own
    // thread alone). Set in the file only; the options page has no control for it.
    int ScanThreads = 0;
    // [Scan] OneFileSystem: scans do not enter folders on another file system.
    bool OneFileSystem = false;
    // [Scan] HardLinks: "once" counts a file with several links at its first link only; "each"
    // or anything else counts every link.
    bool HardLinksOnce = false;
    // [Scan] Exclude: the exclude patterns as the user typed them, separated by ";".
    std::string Exclude;

    // Exclude split at ";", blanks around each pattern dropped, empty ones skipped.
    std::vector<std::string> excludeList() const;
    // What the next scan leaves out or counts once.
    ScanOptions scanOptions() const;

    bool hasStoredSkin() const { return SkinNo >= 1 && SkinNo <= SkinCount; }

    // Booleans are true for any integer but 0; values that are not integers give the default.
    static Settings load(const IniFile& file);

    // Writes the one setting named by code: booleans as "1" or "0", the skin as a decimal
    // number, the hard links as "once" or "each", the patterns as they are. Any other code
    // writes nothing. Throws FileError when the file cannot be written.
    void save(IniFile& file, int code) const;

    // The codes of the settings that differ from the options page as created, in the order
    // their click handlers run while the loaded settings are put on the page: the skin (2..6;
    // a number that is not a stored skin leaves the first skin selected), then the automatic
    // analysis when off, then each hidden column from 1 to 6. Those handlers write their
    // setting back, so at start these are written again, and nothing at all when every
    // setting is at its default.
    std::vector<int> startWriteBacks() const;
};

} // namespace tallyvane
