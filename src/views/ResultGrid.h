// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "presentation/GridColumns.h"
#include "report/GridReport.h"

#include <QElapsedTimer>
#include <QTreeView>

#include <memory>
#include <vector>

class QMenu;

namespace tallyvane {

class EntryModel;
class GridHeader;
class TImageListEx;

// The result grid: the entry tree of the last analysis as a tree grid of seven columns, with
// the view state (expanded folders, the one selected and the one focused entry, the sort) and
// the operations the rest of the program uses on it. The tree is the analysis run's; the grid
// only shows it.
//
// Update blocks nest. While one is open the grid neither repaints nor sorts, and what the
// operations change (expanding, focus, selection) is only recorded; closing the outermost block
// sorts the whole tree once, brings the view in line and repaints. An analysis clears the tree
// inside a block: the grid then shows no rows until the block closes.
class ResultGrid final : public QTreeView {
    Q_OBJECT

public:
    ResultGrid(EntryTree& tree, TImageListEx* icons, QWidget* parent = nullptr);
    ~ResultGrid() override;

    EntryTree& tree() { return *m_tree; }
    const EntryTree& tree() const { return *m_tree; }
    EntryModel& entryModel() { return *m_model; }

    void BeginGridUpdate();
    void EndGridUpdate();
    // Removes every entry; focus and selection go without a focus change being reported, and
    // the view scrolls back to the top left.
    void ClearEntries();
    EntryId FocusedEntry() const { return m_focused; }
    void FocusEntry(EntryId entry);
    EntryId SelectedEntry() const { return m_selected; }
    void SelectEntry(EntryId entry);
    bool IsExpanded(EntryId entry) const;
    void ExpandEntry(EntryId entry);
    // Expands every folder with children in entry's subtree (NoEntry: the whole tree).
    void ExpandSubtree(EntryId entry);
    // Collapses every expanded folder from the last shown entry of entry's subtree back to
    // entry itself (NoEntry: the whole tree), each collapse reported to vtsCollapsed.
    void CollapseSubtree(EntryId entry);
    // Expands every collapsed ancestor of entry, the nearest first.
    void RevealEntry(EntryId entry);
    // Reveals, focuses and selects entry.
    void showEntry(EntryId entry);
    // Opens the entries' pop-up menu for entry, shown in the grid first.
    void popupMenuFor(EntryId entry, const QPoint& globalPosition);
    void SetColumnVisible(int column, bool visible);
    void FocusGrid();

    SortState sortState() const { return m_sort; }
    // Without the keyboard focus the selected row is filled and framed in this colour, the
    // system's grey text.
    static QColor inactiveSelectionColor();
    bool showsInactiveSelection() const;
    // The visible columns in display order with their current widths, fonts and colours, for
    // the report renderers.
    GridReport reportDescription() const;

    // The entries' pop-up menu, shown for the name column.
    void setPopupMenu(QMenu* menu) { m_popupMenu = menu; }

    void vtsHeaderClick(int column);
    void vtsAfterCellPaint(QPainter& painter, const QModelIndex& index, const QRect& cell) const;
    void vtsFocusChanged(EntryId entry);
    void vtsCollapsed(EntryId folder);
    QMenu* vtsGetPopupMenu(EntryId entry, int column) const;

signals:
    // The status panel's text: the focused entry's path.
    void statusTextChanged(const QString& text);
    void focusChanged(tallyvane::EntryId entry);
    // A header click changed the sort, which the grid applied at once.
    void sortChanged(tallyvane::SortState sort);

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& options, const QModelIndex& index) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyboardSearch(const QString& search) override;
    bool viewportEvent(QEvent* event) override;
    int sizeHintForColumn(int column) const override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void onExpanded(const QModelIndex& index);
    void onCollapsed(const QModelIndex& index);
    void setExpanded(EntryId entry, bool expanded);
    void syncView();
    void scrollChildrenIntoView(const QModelIndex& folder);
    void showSortMark();
    EntryId lastChild(EntryId entry) const;

    EntryTree* m_tree;
    EntryModel* m_model;
    GridHeader* m_header;
    QMenu* m_popupMenu = nullptr;

    int m_updateDepth = 0;
    SortState m_sort;
    EntryId m_focused = NoEntry;
    EntryId m_selected = NoEntry;
    // Changes the view has yet to take over: folders whose expanded state changed, focus and
    // selection.
    std::vector<EntryId> m_pendingExpansions;
    bool m_pendingFocus = false;
    bool m_pendingSelection = false;
    bool m_syncing = false; // the grid itself changes the view: not a user's action

    QString m_searchText;
    QElapsedTimer m_searchClock;
};

} // namespace tallyvane
