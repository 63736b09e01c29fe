// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Settings.h"

#include <QPixmap>
#include <QSize>
#include <QString>

namespace tallyvane {

// The six built-in skins. Each is a Qt style sheet stored zlib-compressed in the program's
// resources and applied to the whole application, so every window, dialog and menu follows
// it. Skins are numbered 1 to Settings::SkinCount; any other number names no skin. Needs a
// QApplication.
class SkinEngine {
public:
    static constexpr QSize PreviewSize{252, 90};

    static bool isSkin(int skin) { return skin >= 1 && skin <= Settings::SkinCount; }

    // Restyles every widget of the application with the skin. Returns false, and changes
    // nothing, for a number that names no skin.
    bool applySkin(int skin);
    // The skin last applied through this engine; 0 before the first.
    int currentSkin() const { return m_current; }

    // The name shown to the user; empty for no skin.
    static QString skinName(int skin);
    // The skin's style sheet, inflated from the resources; empty for no skin.
    static QString styleSheet(int skin);
    // A miniature window (toolbar with a latched button, tabs, a button, a check box, a radio
    // button and a status bar) drawn with the skin's own sheet, whatever skin the application
    // shows, which it leaves as it is. Works without a display. Null for no skin.
    static QPixmap renderPreview(int skin);

private:
    int m_current = 0;
};

} // namespace tallyvane
