// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/ResultGrid.h"

#include "platform/FileNames.h"
#include "platform/PathSeparator.h"
#include "views/EntryModel.h"
#include "views/GridDelegate.h"
#include "views/GridFonts.h"
#include "views/GridHeader.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

namespace tallyvane {
namespace {

const QColor TreeLineColor(128, 0, 0);
constexpr int Indentation = 18;
constexpr int IncrementalSearchTimeout = 200; // milliseconds

Rgb rgbOf(const QColor& color)
{
    return {static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
            static_cast<std::uint8_t>(color.blue())};
}

} // namespace

ResultGrid::ResultGrid(EntryTree& tree, TImageListEx* icons, QWidget* parent)
    : QTreeView(parent), m_tree(&tree), m_model(new EntryModel(tree, icons, this)), m_header(new GridHeader(this))
{
    setObjectName(QStringLiteral("vts"));
    setHeader(m_header);
    setModel(m_model);
    setItemDelegate(new GridDelegate(*this));
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setIndentation(Indentation);
    setIconSize({16, 16});
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(NoEditTriggers);
    setAnimated(false);
    setSortingEnabled(false);
    setTextElideMode(Qt::ElideRight);

    setFont(GridFont());
    // Moving the name column is allowed too; the tree lines and buttons go with it.
    m_header->setFirstSectionMovable(true);
    m_header->setFont(GridHeaderFont());
    m_header->setFixedHeight(GridHeaderHeight);

    QPalette colors = palette();
    // A white grid whatever the desktop's theme, so its texts are black.
    colors.setColor(QPalette::Base, Qt::white);
    colors.setColor(QPalette::Text, Qt::black);
    setPalette(colors);

    for (int column = 0; column < GridColumnCount; ++column) {
        const ColumnSpec& spec = GridColumns()[static_cast<std::size_t>(column)];
        m_header->resizeSection(column, spec.width);
        if (!spec.resizable)
            m_header->setSectionResizeMode(column, QHeaderView::Fixed);
    }
    showSortMark();

    connect(m_header, &GridHeader::headerClicked, this, &ResultGrid::vtsHeaderClick);
    connect(this, &QTreeView::expanded, this, &ResultGrid::onExpanded);
    connect(this, &QTreeView::collapsed, this, &ResultGrid::onCollapsed);
}

ResultGrid::~ResultGrid() = default;

void ResultGrid::BeginGridUpdate()
{
    if (m_updateDepth++ == 0)
        setUpdatesEnabled(false);
}

void ResultGrid::EndGridUpdate()
{
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return;
    const bool wasFrozen = m_model->isFrozen();
    m_model->sortEntries(m_sort);
    if (wasFrozen) {
        // The view met the filled tree only now: all it shows comes from the recorded state.
        m_pendingFocus = m_focused != NoEntry;
        m_pendingSelection = m_selected != NoEntry;
    }
    syncView();
    setUpdatesEnabled(true);
}

void ResultGrid::ClearEntries()
{
    m_focused = NoEntry;
    m_selected = NoEntry;
    m_pendingExpansions.clear();
    m_pendingFocus = m_pendingSelection = false;
    m_syncing = true;
    m_model->clearEntries(m_updateDepth > 0);
    m_syncing = false;
    scrollToTop();
    horizontalScrollBar()->setValue(0);
}

void ResultGrid::FocusEntry(EntryId entry)
{
    if (entry == m_focused)
        return;
    m_focused = entry;
    vtsFocusChanged(entry);
    m_pendingFocus = true;
    if (m_updateDepth == 0) {
        syncView();
        if (entry != NoEntry)
            scrollTo(m_model->indexOf(entry));
    }
}

void ResultGrid::SelectEntry(EntryId entry)
{
    m_selected = entry;
    m_pendingSelection = true;
    if (m_updateDepth == 0)
        syncView();
}

bool ResultGrid::IsExpanded(EntryId entry) const
{
    return m_model->isExpanded(entry);
}

void ResultGrid::ExpandEntry(EntryId entry)
{
    if (entry != NoEntry && m_tree->childCount(entry) > 0 && !IsExpanded(entry))
        setExpanded(entry, true);
}

void ResultGrid::ExpandSubtree(EntryId entry)
{
    if (m_tree->FirstEntry() == NoEntry)
        return;
    BeginGridUpdate();
    for (EntryId e = entry == NoEntry ? m_tree->FirstEntry() : entry; e != NoEntry; e = m_tree->NextEntryWithin(e, entry))
        ExpandEntry(e);
    EndGridUpdate();
}

EntryId ResultGrid::lastChild(EntryId entry) const
{
    const std::uint32_t count = m_tree->childCount(entry);
    return count == 0 ? NoEntry : m_tree->childAt(entry, count - 1);
}

void ResultGrid::CollapseSubtree(EntryId entry)
{
    if (m_tree->FirstEntry() == NoEntry)
        return;
    BeginGridUpdate();
    // The last shown entry of the subtree: down the last children while they are expanded.
    EntryId last = entry == NoEntry ? lastChild(NoEntry) : entry;
    while (IsExpanded(last) && m_tree->childCount(last) > 0)
        last = lastChild(last);

    const auto collapse = [this](EntryId folder) {
        if (IsExpanded(folder) && m_tree->childCount(folder) > 0) {
            setExpanded(folder, false);
            vtsCollapsed(folder);
        }
    };
    // Backward in pre-order, folders inside collapsed folders included, up to entry itself.
    for (EntryId current = last; current != entry && current != NoEntry;) {
        collapse(current);
        const EntryId parent = m_tree->ParentEntry(current);
        const std::uint32_t row = m_tree->rowOf(current);
        if (row == 0) {
            current = parent;
            continue;
        }
        current = m_tree->childAt(parent, row - 1);
        for (EntryId child = lastChild(current); child != NoEntry; child = lastChild(current))
            current = child;
    }
    if (entry != NoEntry)
        collapse(entry);
    EndGridUpdate();
}

void ResultGrid::RevealEntry(EntryId entry)
{
    for (EntryId folder = m_tree->ParentEntry(entry); folder != NoEntry; folder = m_tree->ParentEntry(folder))
        ExpandEntry(folder);
}

void ResultGrid::SetColumnVisible(int column, bool visible)
{
    if (column > ColumnName && column < GridColumnCount)
        setColumnHidden(column, !visible);
}

void ResultGrid::FocusGrid()
{
    setFocus(Qt::OtherFocusReason);
}

GridReport ResultGrid::reportDescription() const
{
    GridReport report;
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int column = m_header->logicalIndex(visual);
        if (isColumnHidden(column))
            continue;
        const ColumnSpec& spec = GridColumns()[static_cast<std::size_t>(column)];
        report.columns.push_back({column, QString::fromUtf8(spec.caption), columnWidth(column), spec.alignment});
    }
    report.gridFont.color = {ReportColor::Source::WindowText, rgbOf(palette().color(QPalette::WindowText))};
    report.pixelsPerInch = logicalDpiX();
    return report;
}

void ResultGrid::vtsHeaderClick(int column)
{
    const SortState next = SortAfterHeaderClick(m_sort, column);
    const bool changed = next != m_sort;
    m_sort = next;
    showSortMark();
    if (changed && m_updateDepth == 0)
        m_model->sortEntries(m_sort);
    if (changed)
        emit sortChanged(m_sort);
}

void ResultGrid::showSortMark()
{
    m_header->setSortIndicatorShown(m_sort.column != NoColumn);
    m_header->setSortIndicator(m_sort.column, m_sort.direction == SortDirection::Ascending ? Qt::AscendingOrder
                                                                                          : Qt::DescendingOrder);
}

void ResultGrid::vtsAfterCellPaint(QPainter& painter, const QModelIndex& index, const QRect& cell) const
{
    const Rect bounds{cell.left(), cell.top(), cell.left() + cell.width(), cell.top() + cell.height()};
    const auto bar = ShareBarFor(*m_tree, EntryModel::entryOf(index), index.column(), bounds);
    if (!bar)
        return;
    const Rect& r = bar->rect;
    painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top),
                     QColor(bar->color.red, bar->color.green, bar->color.blue));
}

void ResultGrid::vtsFocusChanged(EntryId entry)
{
    emit statusTextChanged(EntryPathText(*m_tree, entry));
    emit focusChanged(entry);
}

void ResultGrid::vtsCollapsed(EntryId folder)
{
    if (m_focused != NoEntry && m_tree->IsBelow(m_focused, folder)) {
        FocusEntry(folder);
        SelectEntry(folder);
    }
}

QMenu* ResultGrid::vtsGetPopupMenu(EntryId entry, int column) const
{
    return entry != NoEntry && column == ColumnName ? m_popupMenu : nullptr;
}

void ResultGrid::showEntry(EntryId entry)
{
    if (entry == NoEntry)
        return;
    BeginGridUpdate();
    RevealEntry(entry);
    EndGridUpdate();
    FocusEntry(entry);
    SelectEntry(entry);
}

void ResultGrid::popupMenuFor(EntryId entry, const QPoint& globalPosition)
{
    if (QMenu* menu = vtsGetPopupMenu(entry, ColumnName)) {
        showEntry(entry);
        menu->popup(globalPosition);
    }
}

void ResultGrid::setExpanded(EntryId entry, bool expanded)
{
    m_model->setExpanded(entry, expanded);
    m_pendingExpansions.push_back(entry);
    if (m_updateDepth == 0)
        syncView();
}

void ResultGrid::syncView()
{
    m_syncing = true;
    if (!m_pendingExpansions.empty()) {
        // With a layout pending, expanding and collapsing only record the state; the one
        // layout that follows serves them all, however many there are.
        scheduleDelayedItemsLayout();
        for (const EntryId entry : m_pendingExpansions) {
            const QModelIndex index = m_model->indexOf(entry);
            if (m_model->isExpanded(entry))
                expand(index);
            else
                collapse(index);
        }
        m_pendingExpansions.clear();
    }
    if (m_pendingFocus) {
        selectionModel()->setCurrentIndex(m_model->indexOf(m_focused), QItemSelectionModel::NoUpdate);
        m_pendingFocus = false;
    }
    if (m_pendingSelection) {
        if (m_selected == NoEntry)
            selectionModel()->clearSelection();
        else
            selectionModel()->select(m_model->indexOf(m_selected),
                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_pendingSelection = false;
    }
    m_syncing = false;
}

void ResultGrid::onExpanded(const QModelIndex& index)
{
    if (m_syncing)
        return;
    m_model->setExpanded(EntryModel::entryOf(index), true);
    scrollChildrenIntoView(index);
}

void ResultGrid::onCollapsed(const QModelIndex& index)
{
    if (m_syncing)
        return;
    const EntryId folder = EntryModel::entryOf(index);
    m_model->setExpanded(folder, false);
    vtsCollapsed(folder);
}

void ResultGrid::scrollChildrenIntoView(const QModelIndex& folder)
{
    const int children = m_model->rowCount(folder);
    if (children == 0)
        return;
    const int rowsShown = viewport()->height() / GridRowHeight;
    if (children < rowsShown) {
        scrollTo(m_model->index(children - 1, 0, folder));
        scrollTo(folder);
    } else {
        scrollTo(folder, PositionAtTop);
    }
}

void ResultGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    if (m_syncing)
        return;
    const EntryId entry = EntryModel::entryOf(current);
    if (entry != m_focused) {
        m_focused = entry;
        vtsFocusChanged(entry);
    }
}

void ResultGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    if (m_syncing)
        return;
    const QModelIndexList rows = selectionModel()->selectedRows();
    m_selected = rows.isEmpty() ? NoEntry : EntryModel::entryOf(rows.first());
}

void ResultGrid::mousePressEvent(QMouseEvent* event)
{
    // A right-click moves neither focus nor selection: the menu acts on the focused entry.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void ResultGrid::contextMenuEvent(QContextMenuEvent* event)
{
    EntryId entry = NoEntry;
    int column = NoColumn;
    QPoint position = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex index = indexAt(event->pos());
        entry = EntryModel::entryOf(index);
        column = index.column();
    } else if (m_focused != NoEntry) {
        entry = m_focused;
        column = ColumnName;
        position = viewport()->mapToGlobal(visualRect(m_model->indexOf(m_focused)).center());
    }
    if (QMenu* menu = vtsGetPopupMenu(entry, column))
        menu->popup(position);
    event->accept();
}

void ResultGrid::keyboardSearch(const QString& search)
{
    if (search.isEmpty() || m_tree->FirstEntry() == NoEntry)
        return;
    const bool extends = m_searchClock.isValid() && m_searchClock.elapsed() < IncrementalSearchTimeout;
    m_searchText = extends ? m_searchText + search : search;
    m_searchClock.restart();

    // A new search starts after the focused entry, a longer text may stay on it; every entry
    // takes part, also those inside collapsed folders, and the search wraps around.
    const EntryId first = m_tree->FirstEntry();
    EntryId start = m_focused == NoEntry ? first : extends ? m_focused : m_tree->NextEntry(m_focused);
    if (start == NoEntry)
        start = first;
    EntryId entry = start;
    do {
        if (m_model->vtsGetText(entry, ColumnName).startsWith(m_searchText, Qt::CaseInsensitive)) {
            RevealEntry(entry);
            FocusEntry(entry);
            SelectEntry(entry);
            scrollTo(m_model->indexOf(entry));
            return;
        }
        entry = m_tree->NextEntry(entry);
        if (entry == NoEntry)
            entry = first;
    } while (entry != start);
}

bool ResultGrid::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTreeView::viewportEvent(event);
    // A cell whose text does not fit shows it whole as a tooltip.
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.data().toString();
    QRect room = visualRect(index);
    if (index.column() == ColumnName)
        room.setLeft(room.left() + iconSize().width() + 4);
    if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) + 8 > room.width())
        QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
    else
        QToolTip::hideText();
    return true;
}

int ResultGrid::sizeHintForColumn(int column) const
{
    if (!GridColumns()[static_cast<std::size_t>(column)].resizable)
        return GridColumns()[static_cast<std::size_t>(column)].width;
    return QTreeView::sizeHintForColumn(column);
}

QColor ResultGrid::inactiveSelectionColor()
{
    // The desktop's grey-text colour, from the application's palette: the grid's own palette
    // has its texts turned black.
    return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
}

bool ResultGrid::showsInactiveSelection() const
{
    return !hasFocus();
}

void ResultGrid::focusInEvent(QFocusEvent* event)
{
    QTreeView::focusInEvent(event);
    viewport()->update();
}

void ResultGrid::focusOutEvent(QFocusEvent* event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
}

void ResultGrid::drawRow(QPainter* painter, const QStyleOptionViewItem& options, const QModelIndex& index) const
{
    const bool inactiveSelection =
        showsInactiveSelection() && selectionModel()->isRowSelected(index.row(), index.parent());
    if (!inactiveSelection) {
        QTreeView::drawRow(painter, options, index);
        return;
    }
    // The indentation left of the name takes the same grey as the cells (GridDelegate).
    QStyleOptionViewItem grey(options);
    grey.palette.setColor(QPalette::Highlight, inactiveSelectionColor());
    grey.palette.setColor(QPalette::HighlightedText, grey.palette.color(QPalette::Text));
    QTreeView::drawRow(painter, grey, index);
    // The unfocused selection is framed as well as filled, across the whole row.
    painter->save();
    painter->setPen(inactiveSelectionColor());
    painter->setBrush(Qt::NoBrush);
    const QRect row(-header()->offset(), options.rect.top(), header()->length(), GridRowHeight);
    painter->drawRect(row.adjusted(0, 0, -1, -1));
    painter->restore();
}

void ResultGrid::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    // Solid lines and boxed buttons in maroon, one slot of the indentation per level; the
    // entry's own slot is the last one, just left of its icon.
    const EntryId entry = EntryModel::entryOf(index);
    if (entry == NoEntry)
        return;
    const int top = rect.top();
    const int bottom = rect.bottom();
    const int middle = rect.center().y();
    const int ownSlot = rect.right() + 1 - Indentation;
    const auto centre = [](int slotLeft) { return slotLeft + Indentation / 2; };

    painter->save();
    painter->setPen(TreeLineColor);
    const EntryId parent = m_tree->ParentEntry(entry);
    const bool lineFromAbove = parent != NoEntry || m_tree->rowOf(entry) > 0;
    const bool lineBelow = m_tree->NextSiblingEntry(entry) != NoEntry;
    int x = centre(ownSlot);
    if (lineFromAbove || lineBelow)
        painter->drawLine(x, lineFromAbove ? top : middle, x, lineBelow ? bottom : middle);
    painter->drawLine(x, middle, ownSlot + Indentation - 2, middle);

    int slot = ownSlot - Indentation;
    for (EntryId ancestor = parent; ancestor != NoEntry && slot + Indentation > rect.left();
         ancestor = m_tree->ParentEntry(ancestor), slot -= Indentation) {
        if (m_tree->NextSiblingEntry(ancestor) != NoEntry) {
            x = centre(slot);
            painter->drawLine(x, top, x, bottom);
        }
    }

    if (m_tree->childCount(entry) > 0) {
        QRect box(0, 0, 9, 9);
        box.moveCenter({centre(ownSlot), middle});
        painter->fillRect(box, Qt::white);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        painter->drawLine(box.left() + 2, box.center().y(), box.right() - 2, box.center().y());
        if (!isExpanded(index))
            painter->drawLine(box.center().x(), box.top() + 2, box.center().x(), box.bottom() - 2);
    }
    painter->restore();
}

} // namespace tallyvane
