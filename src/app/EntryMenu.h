// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QMenu;
class QWidget;

namespace tallyvane {

// The items of the entries' pop-up menu, in its order.
enum class EntryMenuItem {
    ShowInFileManager,
    Open,
    Search,
    Properties,
    LargestFile,
    ExpandAll,
    CollapseAll,
    CountRows,
    ExportHtml,
    ExportRtf,
    ExportText,
};

// The entries' pop-up menu of the grid and the treemap, its items named as the rest of the
// program knows them; chosen is called with the item the user chose.
QMenu* MakeEntryMenu(QWidget* parent, std::function<void(EntryMenuItem)> chosen);

} // namespace tallyvane
