// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/ScanOptions.h"
#include "app/Settings.h"
#include "app/SkinEngine.h"

#include <string>

namespace tallyvane {

class OptionsPage;
class ResultGrid;
class RunController;

// The options as the window keeps them: loaded once at start, put on the options page, into the
// grid's columns, the skin and the next scans, and written to the settings file one at a time
// as the user changes them. A failed write throws FileError; the new state stays in effect.
class OptionsController {
public:
    OptionsController(Settings settings, std::string settingsPath, OptionsPage& page, ResultGrid& grid,
                      RunController& run);

    const Settings& settings() const { return m_settings; }
    // Puts the settings in effect and on the page, writing back what the page's handlers would
    // have written as it took them.
    void apply();
    // What the command line adds to the settings' scan options for this session.
    void addCommandLineScanOptions(const ScanOptions& options);

    void SaveSetting(int code);
    void CBAutoClick();
    void CB1Click(int tag);
    void RadioButton1Click(int tag);
    // One of the scan options changed (a save code): it takes effect at the next scan.
    void scanOptionChanged(int code);

private:
    void applyScanOptions();

    Settings m_settings;
    std::string m_settingsPath;
    OptionsPage& m_page;
    ResultGrid& m_grid;
    RunController& m_run;
    SkinEngine m_skins;
    ScanOptions m_commandLineScan;
};

} // namespace tallyvane
