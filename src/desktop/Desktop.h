// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

#include <string>

namespace tallyvane {

// What the program asks of the desktop: showing folders in the file manager, opening files
// and addresses with the programs the user chose for them, and an item's properties. Paths go
// as single arguments or URLs, never through a shell command line. Calls are fire-and-forget.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual bool openUrl(const QUrl& url) = 0;
    // Paths are the file system's bytes.
    // Opens the file at path with the program the user chose for its type.
    virtual bool openFile(const std::string& path) = 0;
    // Shows folder in a file-manager window.
    virtual void showFolder(const std::string& folder) = 0;
    // Asks the file manager to show the properties of path; false when none answered.
    virtual bool showItemProperties(const std::string& path) = 0;
};

// The freedesktop desktop: the file manager's D-Bus interface, and the default handlers for
// everything else.
class QtDesktop final : public Desktop {
public:
    bool openUrl(const QUrl& url) override;
    bool openFile(const std::string& path) override;
    void showFolder(const std::string& folder) override;
    bool showItemProperties(const std::string& path) override;
};

} // namespace tallyvane
