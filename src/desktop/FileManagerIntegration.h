// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string>

namespace tallyvane {

// The entries that offer "analyse this folder in Tallyvane" in the file managers, all below
// one user data folder:
//   applications/tallyvane-folder.desktop  a hidden application for folders, so that every
//                                          file manager lists it under "Open With";
//   kio/servicemenus/tallyvane.desktop     Dolphin's context menu;
//   nautilus/scripts/<caption>             Nautilus's Scripts menu, which shows the file name;
//   nemo/actions/tallyvane.nemo_action     Nemo's context menu.
// Each starts the executable with the folder as its one argument, quoted by its own format's
// rules, so that any path reaches the program unchanged.
class FileManagerIntegration {
public:
    explicit FileManagerIntegration(std::string dataHome);

    // Writes the four entries, each file replaced whole, creating the folders they need.
    // executablePath must be absolute; caption is what the menus show. True only when all
    // four were written.
    bool registerEntries(const std::string& caption, const std::string& executablePath);

    // Deletes the four entries and nothing else. The script is recognised by its content, as
    // its name depends on the caption it was registered with. Entries that are not there
    // count as removed; false when one that is there could not be deleted.
    bool unregisterEntries();

private:
    std::string pathOf(const char* relative) const;

    std::string m_dataHome;
};

// Where the file managers look for a user's entries: $XDG_DATA_HOME, else ~/.local/share,
// read as Qt and GLib read them.
std::string UserDataHome();

} // namespace tallyvane
