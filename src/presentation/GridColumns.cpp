// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/GridColumns.h"

#include "platform/FileNames.h"
#include "platform/PathSeparator.h"
#include "presentation/SizeText.h"

namespace tallyvane {

const std::array<ColumnSpec, GridColumnCount>& GridColumns()
{
    static const std::array<ColumnSpec, GridColumnCount> columns{{
        {"名称", 200, Alignment::Left, true},
        {"大小(字节)", 100, Alignment::Right, true},
        {"大小", 60, Alignment::Right, true},
        {"文件夹内%", 80, Alignment::Right, true},
        {"文件夹内比列图", 206, Alignment::Left, false},
        {"总%", 60, Alignment::Right, true},
        {"总比列图", 206, Alignment::Left, false},
    }};
    return columns;
}

QString CellText(const EntryTree& tree, EntryId entry, int column)
{
    if (entry == NoEntry)
        return {};
    const std::int64_t size = tree.size(entry);
    const EntryId parent = tree.ParentEntry(entry);
    const EntryId root = tree.FirstEntry();
    switch (column) {
    case ColumnName:
        return DecodeFileName(tree.name(entry));
    case ColumnBytes:
        return QString::fromStdString(ByteCountText(size));
    case ColumnSize:
        return QString::fromStdString(SizeToText(size));
    case ColumnShareInFolder:
        if (parent == NoEntry)
            return {};
        return QString::fromStdString(ShareText(size, tree.size(parent)));
    case ColumnShareOfTotal:
        if (root == NoEntry || entry == root)
            return {};
        return QString::fromStdString(ShareText(size, tree.size(root)));
    default:
        return {};
    }
}

QString EntryPathText(const EntryTree& tree, EntryId entry)
{
    if (entry == NoEntry)
        return {};
    std::string path = tree.EntryPath(entry);
    if (path.size() > 1 && path.back() == PathSeparator)
        path.pop_back();
    return DecodeFileName(path);
}

QString EntryStatusText(const EntryTree& tree, EntryId entry)
{
    if (entry == NoEntry)
        return {};
    return EntryPathText(tree, entry) + QStringLiteral("  ") + QString::fromStdString(SizeToText(tree.size(entry)));
}

SortKey SortKeyOf(int column)
{
    switch (column) {
    case ColumnName:
        return SortKey::Name;
    case ColumnBytes:
    case ColumnSize:
        return SortKey::Size;
    default:
        return SortKey::None;
    }
}

SortState SortAfterHeaderClick(SortState current, int clickedColumn)
{
    if (clickedColumn > ColumnSize)
        return current;
    SortState next;
    next.column = clickedColumn == ColumnSize ? ColumnBytes : clickedColumn;
    next.direction =
        current.direction == SortDirection::Descending ? SortDirection::Ascending : SortDirection::Descending;
    return next;
}

Rgb BarColors(int level)
{
    static constexpr std::array<Rgb, 19> cycle{{
        {255, 0, 0},     {0, 128, 0},   {0, 0, 255},   {255, 0, 255}, {64, 192, 0},    {192, 64, 0},  {0, 255, 0},
        {255, 0, 128},   {0, 0, 128},   {0, 128, 255}, {255, 128, 0}, {0, 128, 128},   {0, 255, 255}, {128, 0, 128},
        {128, 128, 128}, {255, 255, 0}, {128, 0, 0},   {128, 128, 0}, {192, 192, 192},
    }};
    const int slot = level % 20 - 1;
    return slot >= 0 ? cycle[static_cast<std::size_t>(slot)] : Rgb{64, 64, 64};
}

std::optional<ShareBar> ShareBarFor(const EntryTree& tree, EntryId entry, int column, Rect cell)
{
    if (entry == NoEntry)
        return std::nullopt;
    Rgb color;
    std::int64_t whole = 0;
    if (column == ColumnShareInFolderBar) {
        const EntryId parent = tree.ParentEntry(entry);
        if (parent == NoEntry)
            return std::nullopt;
        color = BarColors(tree.EntryLevel(entry));
        whole = tree.size(parent);
    } else if (column == ColumnShareOfTotalBar) {
        const EntryId root = tree.FirstEntry();
        if (root == NoEntry || entry == root)
            return std::nullopt;
        color = TotalBarColor;
        whole = tree.size(root);
    } else {
        return std::nullopt;
    }
    const int width = whole == 0 ? 0 : BarWidth(CalcShare(tree.size(entry), whole));
    const int left = cell.left + 3;
    return ShareBar{color, Rect{left, cell.top + 3, left + width, cell.bottom - 3}};
}

} // namespace tallyvane
