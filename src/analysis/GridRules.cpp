// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/GridRules.h"

#include "analysis/SizeText.h"
#include "platform/FileNames.h"

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

namespace {

int compareNames(std::string_view first, std::string_view second)
{
    const auto mapped = [](std::string_view name, std::size_t i) -> int {
        // Past the end stands the terminating zero, which takes part in the comparison.
        if (i >= name.size())
            return 0;
        const auto byte = static_cast<unsigned char>(name[i]);
        return (byte >= 'a' && byte <= 'z') ? byte - ('a' - 'A') : byte;
    };
    const std::size_t length = std::max(first.size(), second.size());
    for (std::size_t i = 0; i <= length; ++i) {
        const int a = mapped(first, i);
        const int b = mapped(second, i);
        if (a != b)
            return a - b;
    }
    return 0;
}

} // namespace

int CompareEntries(const EntryTree& tree, EntryId first, EntryId second, int column)
{
    if (first == NoEntry || second == NoEntry)
        return 0;
    switch (column) {
    case ColumnName:
        return compareNames(tree.name(first), tree.name(second));
    case ColumnBytes: {
        const std::int64_t a = tree.size(first);
        const std::int64_t b = tree.size(second);
        return (a > b) - (a < b);
    }
    default:
        return 0;
    }
}

void SortEntries(EntryTree& tree, int column, SortDirection direction)
{
    if (column != ColumnName && column != ColumnBytes)
        return;
    // A stable sort keeps equal entries in place: ascending, a later entry moves before an
    // earlier one only when the earlier compares greater; descending, only when it compares less.
    const int sign = direction == SortDirection::Ascending ? 1 : -1;
    if (column == ColumnBytes) {
        tree.sortChildren([&tree, sign](EntryId a, EntryId b) {
            return sign > 0 ? tree.size(a) < tree.size(b) : tree.size(a) > tree.size(b);
        });
    } else {
        tree.sortChildren([&tree, sign](EntryId a, EntryId b) {
            return sign * compareNames(tree.name(a), tree.name(b)) < 0;
        });
    }
}

SortState SortAfterHeaderClick(SortState current, int clickedColumn)
{
    if (clickedColumn > ColumnSize)
        return current;
    SortState next;
    next.column = clickedColumn == ColumnSize ? ColumnBytes : clickedColumn;
    next.direction = current.direction == SortDirection::Descending ? SortDirection::Ascending
                                                                    : SortDirection::Descending;
    return next;
}

Rgb BarColors(int level)
{
    static constexpr std::array<Rgb, 19> cycle{{
        {255, 0, 0},     {0, 128, 0},   {0, 0, 255},     {255, 0, 255},   {64, 192, 0},
        {192, 64, 0},    {0, 255, 0},   {255, 0, 128},   {0, 0, 128},     {0, 128, 255},
        {255, 128, 0},   {0, 128, 128}, {0, 255, 255},   {128, 0, 128},   {128, 128, 128},
        {255, 255, 0},   {128, 0, 0},   {128, 128, 0},   {192, 192, 192},
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
