// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tallyvane {

inline constexpr const char* SettingsFileName = "Tallyvane.ini";

// What decides where the settings file lives.
struct SettingsSurroundings {
    std::string iniVariable;           // $TALLYVANE_INI, empty when unset
    std::string configHome;            // $XDG_CONFIG_HOME, empty when unset
    std::string home;                  // the user's home folder
    std::string executableFolder;      // the running executable's folder; empty when unknown
    bool fileBesideExecutable = false; // a settings file already exists in that folder
};

// The settings file: the one $TALLYVANE_INI names; else the one beside the executable when it
// already exists, which keeps a portable copy's settings with it; else tallyvane/Tallyvane.ini
// in $XDG_CONFIG_HOME, or in ~/.config when the variable is unset or not absolute (the XDG
// base directory rules ignore relative paths). A writable program folder alone is no reason
// to write there: ~/.local/bin is writable, and settings do not belong among programs.
std::string ChooseSettingsPath(const SettingsSurroundings& surroundings);

// The surroundings of this process. A relative $TALLYVANE_INI is made absolute, so that error
// messages name the file in full.
SettingsSurroundings InspectSettingsSurroundings();

inline std::string SettingsPath()
{
    return ChooseSettingsPath(InspectSettingsSurroundings());
}

} // namespace tallyvane
