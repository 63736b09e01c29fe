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
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

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

ResultGrid::ResultGrid(const EntryDocument& document, TImageListEx* icons, QWidget* parent)
    : QTreeView(parent), m_document(document), m_model(new EntryModel(document, icons, this)),
      m_header(new GridHeader(this))
{
    setObjectName(QStringLiteral("vts"));
    setHeader(m_header);
    setModel(m_model);
    setItemDelegate(new GridDelegate(*this));
    setUniformRowHeights(true);
    // The rows are a flat list: the grid indents, draws and toggles the tree itself.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
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
    connect(&document, &EntryDocument::treeAboutToBeReplaced, this, &ResultGrid::forgetEntries);
    connect(&document, &EntryDocument::treeReplaced, this, [this] {
        scrollToTop();
        horizontalScrollBar()->setValue(0);
    });
    // The view's own reaction to the model's reset and layout changes is not the user's.
    for (const auto change : {&EntryDocument::treeAboutToBeReplaced, &EntryDocument::treeAboutToBeSorted})
        connect(&document, change, this, [this] { m_syncing = true; });
    for (const auto change : {&EntryDocument::treeReplaced, &EntryDocument::treeSorted})
        connect(&document, change, this, [this] { m_syncing = false; });
    // A double-click on a name opens or closes the folder.
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        const EntryId entry = EntryModel::entryOf(index);
        if (index.column() == ColumnName && isFolderWithChildren(entry))
            toggleExpanded(entry);
    });
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
    m_syncing = true;
    m_model->arrangeRows();
    m_syncing = false;
    // The rows were laid out anew from the recorded state: focus and selection follow it.
    m_pendingFocus = true;
    m_pendingSelection = true;
    syncView();
    if (m_focusReportPending) {
        m_focusReportPending = false;
        vtsFocusChanged(m_focused);
    }
    setUpdatesEnabled(true);
}

void ResultGrid::forgetEntries()
{
    m_focused = NoEntry;
    m_selected = NoEntry;
    m_pendingFocus = m_pendingSelection = m_focusReportPending = false;
}

void ResultGrid::FocusEntry(EntryId entry)
{
    if (entry == m_focused)
        return;
    m_focused = entry;
    m_pendingFocus = true;
    if (m_updateDepth > 0) {
        // Reported once when the block closes: a walk that moves the focus level by level, as
        // collapsing a deep chain does, makes one path text, not one per level.
        m_focusReportPending = true;
        return;
    }
    vtsFocusChanged(entry);
    syncView();
    if (entry != NoEntry)
        scrollTo(m_model->indexOf(entry));
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
    return m_model->isFolderExpanded(entry);
}

bool ResultGrid::isFolderWithChildren(EntryId entry) const
{
    return entry != NoEntry && tree().childCount(entry) > 0;
}

void ResultGrid::ExpandEntry(EntryId entry)
{
    if (isFolderWithChildren(entry) && !IsExpanded(entry))
        setExpanded(entry, true);
}

void ResultGrid::ExpandSubtree(EntryId entry)
{
    if (tree().FirstEntry() == NoEntry)
        return;
    BeginGridUpdate();
    for (EntryId e = entry == NoEntry ? tree().FirstEntry() : entry; e != NoEntry; e = tree().NextEntryWithin(e, entry))
        ExpandEntry(e);
    EndGridUpdate();
}

EntryId ResultGrid::lastChild(EntryId entry) const
{
    const std::uint32_t count = tree().childCount(entry);
    return count == 0 ? NoEntry : tree().childAt(entry, count - 1);
}

void ResultGrid::CollapseSubtree(EntryId entry)
{
    if (tree().FirstEntry() == NoEntry)
        return;
    BeginGridUpdate();
    // The last shown entry of the subtree: down the last children while they are expanded.
    EntryId last = entry == NoEntry ? lastChild(NoEntry) : entry;
    while (IsExpanded(last) && tree().childCount(last) > 0)
        last = lastChild(last);

    const auto collapse = [this](EntryId folder) {
        if (IsExpanded(folder) && tree().childCount(folder) > 0) {
            setExpanded(folder, false);
            vtsCollapsed(folder);
        }
    };
    // Backward in pre-order, folders inside collapsed folders included, up to entry itself.
    for (EntryId current = last; current != entry && current != NoEntry;) {
        collapse(current);
        const EntryId parent = tree().ParentEntry(current);
        const std::uint32_t row = tree().rowOf(current);
        if (row == 0) {
            current = parent;
            continue;
        }
        current = tree().childAt(parent, row - 1);
        for (EntryId child = lastChild(current); child != NoEntry; child = lastChild(current))
            current = child;
    }
    if (entry != NoEntry)
        collapse(entry);
    EndGridUpdate();
}

void ResultGrid::RevealEntry(EntryId entry)
{
    for (EntryId folder = tree().ParentEntry(entry); folder != NoEntry; folder = tree().ParentEntry(folder))
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
    if (changed)
        emit sortRequested(SortKeyOf(m_sort.column), m_sort.direction);
}

void ResultGrid::showSortMark()
{
    m_header->setSortIndicatorShown(m_sort.column != NoColumn);
    m_header->setSortIndicator(m_sort.column,
                               m_sort.direction == SortDirection::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void ResultGrid::vtsAfterCellPaint(QPainter& painter, const QModelIndex& index, const QRect& cell) const
{
    const Rect bounds{cell.left(), cell.top(), cell.left() + cell.width(), cell.top() + cell.height()};
    const auto bar = ShareBarFor(tree(), EntryModel::entryOf(index), index.column(), bounds);
    if (!bar)
        return;
    const Rect& r = bar->rect;
    painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top),
                     QColor(bar->color.red, bar->color.green, bar->color.blue));
}

void ResultGrid::vtsFocusChanged(EntryId entry)
{
    emit statusTextChanged(EntryPathText(tree(), entry));
    emit focusChanged(entry);
}

void ResultGrid::vtsCollapsed(EntryId folder)
{
    if (m_focused != NoEntry && tree().IsBelow(m_focused, folder)) {
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
    if (m_updateDepth > 0) {
        // One layout when the block closes serves every change, however many there are.
        m_model->markExpanded(entry, expanded);
        return;
    }
    // Rows that vanish take the view's current and selected rows along; the grid's own state
    // stays and is shown again where its entries are.
    m_syncing = true;
    m_model->setExpanded(entry, expanded);
    m_syncing = false;
    m_pendingFocus = true;
    m_pendingSelection = true;
    syncView();
}

void ResultGrid::toggleExpanded(EntryId folder)
{
    if (!isFolderWithChildren(folder))
        return;
    if (IsExpanded(folder)) {
        setExpanded(folder, false);
        vtsCollapsed(folder);
    } else {
        setExpanded(folder, true);
        scrollChildrenIntoView(folder);
    }
}

void ResultGrid::syncView()
{
    m_syncing = true;
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

void ResultGrid::scrollChildrenIntoView(EntryId folder)
{
    const std::uint32_t children = tree().childCount(folder);
    if (children == 0)
        return;
    const QModelIndex index = m_model->indexOf(folder);
    const auto rowsShown = static_cast<std::uint32_t>(viewport()->height() / GridRowHeight);
    if (children < rowsShown) {
        scrollTo(m_model->indexOf(lastChild(folder)));
        scrollTo(index);
    } else {
        scrollTo(index, PositionAtTop);
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
    if (search.isEmpty() || tree().FirstEntry() == NoEntry)
        return;
    const bool extends = m_searchClock.isValid() && m_searchClock.elapsed() < IncrementalSearchTimeout;
    m_searchText = extends ? m_searchText + search : search;
    m_searchClock.restart();

    // A new search starts after the focused entry, a longer text may stay on it; every entry
    // takes part, also those inside collapsed folders, and the search wraps around.
    const EntryId first = tree().FirstEntry();
    EntryId start = m_focused == NoEntry ? first : extends ? m_focused : tree().NextEntry(m_focused);
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
        entry = tree().NextEntry(entry);
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
        room.setLeft(room.left() + indentationOf(EntryModel::entryOf(index)) + iconSize().width() + 4);
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

int ResultGrid::indentationOf(EntryId entry) const
{
    return entry == NoEntry ? 0 : Indentation * (tree().EntryLevel(entry) + 1);
}

void ResultGrid::drawIndentation(QPainter& painter, const QStyleOptionViewItem& option, const QRect& area,
                                 EntryId entry) const
{
    // The background as Qt's tree view fills its branch area: selected only where the style
    // selects decorations too.
    QStyleOptionViewItem background(option);
    background.rect = area;
    background.showDecorationSelected =
        style()->styleHint(QStyle::SH_ItemView_ShowDecorationSelected, &background, this);
    style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &background, &painter, this);

    // Solid lines and boxed buttons in maroon, one slot of the indentation per level; the
    // entry's own slot is the last one, just left of its icon. Slots right of the visible part
    // are skipped, so a deep entry costs one step per level and nothing more.
    const int left = std::max(area.left(), option.rect.left());
    const int right = std::min(area.right(), option.rect.right());
    const int top = area.top();
    const int bottom = area.bottom();
    const int middle = area.center().y();
    const int ownSlot = area.right() + 1 - Indentation;
    const auto centre = [](int slotLeft) { return slotLeft + Indentation / 2; };

    painter.save();
    painter.setPen(TreeLineColor);
    const EntryId parent = tree().ParentEntry(entry);
    if (ownSlot <= right) {
        const bool lineFromAbove = parent != NoEntry || tree().rowOf(entry) > 0;
        const bool lineBelow = tree().NextSiblingEntry(entry) != NoEntry;
        const int x = centre(ownSlot);
        if (lineFromAbove || lineBelow)
            painter.drawLine(x, lineFromAbove ? top : middle, x, lineBelow ? bottom : middle);
        painter.drawLine(x, middle, ownSlot + Indentation - 2, middle);
    }

    int slot = ownSlot - Indentation;
    for (EntryId ancestor = parent; ancestor != NoEntry && slot + Indentation > left;
         ancestor = tree().ParentEntry(ancestor), slot -= Indentation) {
        if (slot <= right && tree().NextSiblingEntry(ancestor) != NoEntry) {
            const int x = centre(slot);
            painter.drawLine(x, top, x, bottom);
        }
    }

    if (isFolderWithChildren(entry) && ownSlot <= right) {
        QRect box(0, 0, 9, 9);
        box.moveCenter({centre(ownSlot), middle});
        painter.fillRect(box, Qt::white);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.drawLine(box.left() + 2, box.center().y(), box.right() - 2, box.center().y());
        if (!IsExpanded(entry))
            painter.drawLine(box.center().x(), box.top() + 2, box.center().x(), box.bottom() - 2);
    }
    painter.restore();
}

EntryId ResultGrid::expandButtonAt(const QPoint& position) const
{
    // The whole own slot of a folder's row answers, as in Qt's tree view.
    if (m_header->logicalIndexAt(position.x()) != ColumnName)
        return NoEntry;
    const EntryId entry = EntryModel::entryOf(indexAt(position));
    if (!isFolderWithChildren(entry))
        return NoEntry;
    const int ownSlot = m_header->sectionViewportPosition(ColumnName) + indentationOf(entry) - Indentation;
    return position.x() >= ownSlot && position.x() < ownSlot + Indentation ? entry : NoEntry;
}

void ResultGrid::mousePressEvent(QMouseEvent* event)
{
    // A right-click moves neither focus nor selection: the menu acts on the focused entry.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    // A press on an expand button toggles the folder and leaves focus and selection alone.
    const EntryId button = expandButtonAt(event->position().toPoint());
    if (button == NoEntry) {
        QTreeView::mousePressEvent(event);
        return;
    }
    if (state() == NoState
        && style()->styleHint(QStyle::SH_ListViewExpand_SelectMouseType, nullptr, this) == QEvent::MouseButtonPress)
        toggleExpanded(button);
    event->accept();
}

void ResultGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const EntryId button = expandButtonAt(event->position().toPoint());
    if (button == NoEntry) {
        QTreeView::mouseReleaseEvent(event);
        return;
    }
    if (state() == DragSelectingState || state() == DraggingState)
        setState(NoState);
    if (event->button() != Qt::RightButton
        && style()->styleHint(QStyle::SH_ListViewExpand_SelectMouseType, nullptr, this) == QEvent::MouseButtonRelease)
        toggleExpanded(button);
    event->accept();
}

void ResultGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (expandButtonAt(event->position().toPoint()) == NoEntry)
        QTreeView::mouseMoveEvent(event);
}

void ResultGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    // On a button the press has toggled already; elsewhere the view reports the double-click.
    if (expandButtonAt(event->position().toPoint()) == NoEntry)
        QTreeView::mouseDoubleClickEvent(event);
}

void ResultGrid::keyPressEvent(QKeyEvent* event)
{
    const EntryId entry = EntryModel::entryOf(currentIndex());
    if (isFolderWithChildren(entry)) {
        switch (event->key()) {
        case Qt::Key_Asterisk:
            ExpandSubtree(entry);
            scrollChildrenIntoView(entry);
            break;
        case Qt::Key_Plus:
            if (!IsExpanded(entry))
                toggleExpanded(entry);
            break;
        case Qt::Key_Minus:
            if (IsExpanded(entry))
                toggleExpanded(entry);
            break;
        default:
            break;
        }
    }
    QTreeView::keyPressEvent(event);
}

QModelIndex ResultGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    const EntryId entry = EntryModel::entryOf(current);
    if (isRightToLeft() && (action == MoveLeft || action == MoveRight))
        action = action == MoveLeft ? MoveRight : MoveLeft;
    if (entry == NoEntry || (action != MoveLeft && action != MoveRight))
        return QTreeView::moveCursor(action, modifiers);

    // Left closes an open folder, Right opens a closed one; otherwise they lead to the parent
    // and the first child where the style says so, and scroll sideways where it does not.
    QScrollBar* bar = horizontalScrollBar();
    const bool intoChildren = style()->styleHint(QStyle::SH_ItemView_ArrowKeysNavigateIntoChildren, nullptr, this);
    if (action == MoveLeft) {
        if (isFolderWithChildren(entry) && IsExpanded(entry) && bar->value() == bar->minimum()) {
            toggleExpanded(entry);
            return currentIndex();
        }
        const EntryId parent = tree().ParentEntry(entry);
        if (intoChildren && parent != NoEntry)
            return m_model->indexOf(parent, current.column());
        bar->setValue(bar->value() - bar->singleStep());
    } else {
        if (isFolderWithChildren(entry) && !IsExpanded(entry)) {
            toggleExpanded(entry);
            return currentIndex();
        }
        if (intoChildren && isFolderWithChildren(entry))
            return m_model->indexOf(tree().FirstChildEntry(entry), current.column());
        bar->setValue(bar->value() + bar->singleStep());
    }
    return current;
}

} // namespace tallyvane
