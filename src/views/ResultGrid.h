// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryDocument.h"
#include "presentation/GridColumns.h"
#include "report/GridReport.h"

#include <QElapsedTimer>
#include <QTreeView>

class QMenu;

namespace tallyvane {

class EntryModel;
class GridHeader;
class TImageListEx;

// The result grid: the entry tree of the last analysis as a tree grid of seven columns, with
// the view state (expanded folders, the one selected and the one focused entry, the sort) and
// the operations the rest of the program uses on it. The tree is the document's; the grid only
// shows it, and asks for another order with sortRequested when its header is clicked.
//
// The view underneath is handed a flat list of the shown rows (EntryModel): Qt's tree view lays
// out and draws expanded levels recursively, which a chain of some ten thousand folders turns
// into a stack overflow. The grid itself indents the name column, draws the tree lines and the
// expand buttons, and answers the keys and clicks that expand and collapse.
//
// Update blocks nest. While one is open the grid neither repaints nor sorts, and what the
// operations change (expanding, focus, selection) is only recorded; closing the outermost block
// lays the rows out once, brings the view in line, reports the focus if it moved and repaints.
// When the document's tree is replaced, focus and selection go without a focus change being
// reported, and the view scrolls back to the top left.
class ResultGrid final : public QTreeView {
    Q_OBJECT

public:
    ResultGrid(const EntryDocument& document, TImageListEx* icons, QWidget* parent = nullptr);
    ~ResultGrid() override;

    const EntryDocument& document() const { return m_document; }
    const EntryTree& tree() const { return m_document.tree(); }
    EntryModel& entryModel() { return *m_model; }
    const EntryModel& entryModel() const { return *m_model; }

    void BeginGridUpdate();
    void EndGridUpdate();
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
    // Expands a collapsed folder or collapses an expanded one as the user's expand button,
    // arrow keys and double-click do: an expanded folder's children are scrolled into view, a
    // collapse takes the focus out of the folder.
    void toggleExpanded(EntryId folder);
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

    // The name column's indentation for entry: one slot per level, the entry's own slot (with
    // its button) last.
    int indentationOf(EntryId entry) const;
    // Paints the indentation of entry's name cell into area (as wide as indentationOf), as far
    // as it lies in the cell, option.rect: the row's background as the style fills it, solid
    // tree lines and boxed buttons in maroon.
    void drawIndentation(QPainter& painter, const QStyleOptionViewItem& option, const QRect& area, EntryId entry) const;

    void vtsHeaderClick(int column);
    void vtsAfterCellPaint(QPainter& painter, const QModelIndex& index, const QRect& cell) const;
    void vtsFocusChanged(EntryId entry);
    void vtsCollapsed(EntryId folder);
    QMenu* vtsGetPopupMenu(EntryId entry, int column) const;

signals:
    // The status panel's text: the focused entry's path.
    void statusTextChanged(const QString& text);
    void focusChanged(tallyvane::EntryId entry);
    // The header asks for the tree in another order; the sort mark already shows it.
    void sortRequested(tallyvane::SortKey key, tallyvane::SortDirection direction);

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& options, const QModelIndex& index) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyboardSearch(const QString& search) override;
    bool viewportEvent(QEvent* event) override;
    int sizeHintForColumn(int column) const override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void setExpanded(EntryId entry, bool expanded);
    void syncView();
    void scrollChildrenIntoView(EntryId folder);
    // The folder whose expand button is at a point of the viewport, or NoEntry.
    EntryId expandButtonAt(const QPoint& position) const;
    bool isFolderWithChildren(EntryId entry) const;
    void showSortMark();
    EntryId lastChild(EntryId entry) const;
    void forgetEntries();

    const EntryDocument& m_document;
    EntryModel* m_model;
    GridHeader* m_header;
    QMenu* m_popupMenu = nullptr;

    int m_updateDepth = 0;
    SortState m_sort;
    EntryId m_focused = NoEntry;
    EntryId m_selected = NoEntry;
    // Changes the view has yet to take over: focus and selection. Expanded states wait in the
    // model until the update block closes.
    bool m_pendingFocus = false;
    bool m_pendingSelection = false;
    bool m_focusReportPending = false;
    bool m_syncing = false; // the grid itself changes the view: not a user's action

    QString m_searchText;
    QElapsedTimer m_searchClock;
};

} // namespace tallyvane
