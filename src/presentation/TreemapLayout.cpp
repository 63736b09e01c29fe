// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/TreemapLayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace tallyvane {
namespace {

struct Placed {
    EntryId entry; // NoEntry for the folder's remainder
    QRectF rect;
};

// Places one folder's children in its rectangle, largest first, row by row: a row grows along
// the rectangle's shorter side for as long as its worst aspect ratio improves, then takes its
// strip off that side. The last tile of a row and the last row end exactly on the rectangle's
// edges, so rounding can neither push a tile outside nor open a gap.
class FolderRows {
public:
    explicit FolderRows(const EntryTree& tree) : m_tree(tree) {}

    const std::vector<Placed>& place(EntryId folder, const QRectF& rect)
    {
        m_placed.clear();
        m_items.clear();
        std::int64_t childSum = 0;
        for (EntryId child = m_tree.FirstChildEntry(folder); child != NoEntry; child = m_tree.NextSiblingEntry(child)) {
            const std::int64_t size = m_tree.size(child);
            if (size > 0) {
                childSum += size;
                m_items.push_back({child, size, 0});
            }
        }
        const std::int64_t ownSize = folder == NoEntry ? 0 : m_tree.size(folder);
        const double total = static_cast<double>(std::max(ownSize, childSum));
        const double area = rect.width() * rect.height();
        if (total <= 0 || area <= 0)
            return m_placed;

        // Children under the smallest area stay in the remainder, as does the folder's own size.
        const double scale = area / total;
        std::int64_t placedSize = 0;
        std::erase_if(m_items, [&](Item& item) {
            item.area = static_cast<double>(item.size) * scale;
            if (item.area < TreemapLayout::SmallestArea)
                return true;
            placedSize += item.size;
            return false;
        });
        // Ties go by entry number, so every layout of the folder orders its children alike.
        std::sort(m_items.begin(), m_items.end(),
                  [](const Item& a, const Item& b) { return a.area != b.area ? a.area > b.area : a.entry < b.entry; });
        if (const double remainder = static_cast<double>(std::max(ownSize, childSum) - placedSize) * scale;
            remainder > 0) {
            const auto at =
                std::find_if(m_items.begin(), m_items.end(), [&](const Item& item) { return item.area < remainder; });
            m_items.insert(at, Item{NoEntry, 0, remainder});
        }
        squarify(rect);
        return m_placed;
    }

private:
    struct Item {
        EntryId entry;
        std::int64_t size;
        double area;
    };

    void squarify(const QRectF& rect)
    {
        double left = rect.left();
        double top = rect.top();
        const double right = rect.right();
        const double bottom = rect.bottom();
        std::size_t first = 0;
        while (first < m_items.size()) {
            const double width = right - left;
            const double height = bottom - top;
            // A wide rectangle gets a column at its left, a tall one a row at its top.
            const bool column = width >= height;
            const double side = column ? height : width;
            const double sideSquared = side * side;
            const double largest = m_items[first].area;
            double rowArea = 0;
            double worst = std::numeric_limits<double>::infinity();
            std::size_t end = first;
            while (end < m_items.size()) {
                const double grown = rowArea + m_items[end].area;
                const double grownSquared = grown * grown;
                const double ratio =
                    std::max(sideSquared * largest / grownSquared, grownSquared / (sideSquared * m_items[end].area));
                if (end > first && ratio > worst)
                    break;
                worst = ratio;
                rowArea = grown;
                ++end;
            }
            const bool lastRow = end == m_items.size();
            if (column) {
                const double stripRight = lastRow ? right : std::min(right, left + rowArea / side);
                const double thickness = stripRight - left;
                double y = top;
                for (std::size_t i = first; i < end; ++i) {
                    const double next = i + 1 == end ? bottom : std::min(bottom, y + m_items[i].area / thickness);
                    m_placed.push_back({m_items[i].entry, QRectF(QPointF(left, y), QPointF(stripRight, next))});
                    y = next;
                }
                left = stripRight;
            } else {
                const double stripBottom = lastRow ? bottom : std::min(bottom, top + rowArea / side);
                const double thickness = stripBottom - top;
                double x = left;
                for (std::size_t i = first; i < end; ++i) {
                    const double next = i + 1 == end ? right : std::min(right, x + m_items[i].area / thickness);
                    m_placed.push_back({m_items[i].entry, QRectF(QPointF(x, top), QPointF(next, stripBottom))});
                    x = next;
                }
                top = stripBottom;
            }
            first = end;
        }
    }

    const EntryTree& m_tree;
    std::vector<Item> m_items;
    std::vector<Placed> m_placed;
};

// Ridge heights by depth; past the table they are below the smallest double anyway.
double ridgeHeight(int depth)
{
    static const auto heights = [] {
        std::array<double, 4096> table{};
        double height = TreemapLayout::RidgeHeight;
        for (double& h : table) {
            h = height;
            height *= TreemapLayout::RidgeFalloff;
        }
        return table;
    }();
    return depth < static_cast<int>(heights.size()) ? heights[static_cast<std::size_t>(depth)] : 0.0;
}

// Adds a parabolic ridge over rect: zero on its edges, height h in its middle.
void addRidge(Cushion& cushion, const QRectF& rect, double h)
{
    if (rect.width() > 0) {
        cushion.x += 4 * h * (rect.left() + rect.right()) / rect.width();
        cushion.xx -= 4 * h / rect.width();
    }
    if (rect.height() > 0) {
        cushion.y += 4 * h * (rect.top() + rect.bottom()) / rect.height();
        cushion.yy -= 4 * h / rect.height();
    }
}

bool holds(const QRectF& rect, const QPointF& point)
{
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() && point.y() < rect.bottom();
}

TreemapTile childTile(const EntryTree& tree, const TreemapTile& parent, const Placed& placed)
{
    TreemapTile tile;
    if (placed.entry == NoEntry) {
        tile.entry = parent.entry;
        tile.kind = TreemapTile::Kind::Remainder;
    } else {
        tile.entry = placed.entry;
        tile.kind = tree.isFolder(placed.entry) ? TreemapTile::Kind::Folder : TreemapTile::Kind::File;
    }
    tile.depth = parent.depth + 1;
    tile.rect = placed.rect;
    tile.cushion = parent.cushion;
    addRidge(tile.cushion, placed.rect, ridgeHeight(tile.depth));
    return tile;
}

} // namespace

TreemapLayout::TreemapLayout(const EntryTree& tree, EntryId root, const QRectF& bounds)
    : m_tree(tree), m_root(root), m_bounds(bounds)
{
}

namespace {

// The tile the layout starts from: root's own, or for the whole tree a folder tile one level
// above the top-level entries.
TreemapTile rootTile(const EntryTree& tree, EntryId root, const QRectF& bounds)
{
    if (root == NoEntry)
        return {NoEntry, TreemapTile::Kind::Folder, -1, bounds, {}};
    TreemapTile tile{root, tree.isFolder(root) ? TreemapTile::Kind::Folder : TreemapTile::Kind::File, 0, bounds, {}};
    addRidge(tile.cushion, bounds, ridgeHeight(0));
    return tile;
}

} // namespace

bool TreemapLayout::visitTiles(const std::function<void(const TreemapTile&)>& visit,
                               const std::atomic_bool* cancelled) const
{
    const TreemapTile top = rootTile(m_tree, m_root, m_bounds);
    if (m_root != NoEntry)
        visit(top);
    if (top.kind != TreemapTile::Kind::Folder)
        return true;
    FolderRows rows(m_tree);
    std::vector<TreemapTile> pending{top};
    while (!pending.empty()) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return false;
        const TreemapTile folder = pending.back();
        pending.pop_back();
        for (const Placed& placed : rows.place(folder.entry, folder.rect)) {
            const TreemapTile tile = childTile(m_tree, folder, placed);
            visit(tile);
            if (tile.kind == TreemapTile::Kind::Folder)
                pending.push_back(tile);
        }
    }
    return true;
}

EntryId TreemapLayout::entryAt(const QPointF& point) const
{
    if (!holds(m_bounds, point))
        return NoEntry;
    FolderRows rows(m_tree);
    EntryId entry = m_root;
    QRectF rect = m_bounds;
    while (entry == NoEntry || m_tree.isFolder(entry)) {
        const std::vector<Placed>& placed = rows.place(entry, rect);
        const auto hit =
            std::find_if(placed.begin(), placed.end(), [&](const Placed& p) { return holds(p.rect, point); });
        if (hit == placed.end() || hit->entry == NoEntry)
            return entry;
        entry = hit->entry;
        rect = hit->rect;
    }
    return entry;
}

std::optional<TreemapTile> TreemapLayout::tileOf(EntryId entry) const
{
    if (entry == NoEntry || (entry != m_root && m_root != NoEntry && !m_tree.IsBelow(entry, m_root)))
        return std::nullopt;
    std::vector<EntryId> path; // from entry up to, not including, root
    for (EntryId e = entry; e != m_root; e = m_tree.ParentEntry(e))
        path.push_back(e);

    FolderRows rows(m_tree);
    TreemapTile tile = rootTile(m_tree, m_root, m_bounds);
    bool placed = m_root != NoEntry;
    for (auto step = path.rbegin(); step != path.rend(); ++step) {
        const std::vector<Placed>& children = rows.place(tile.entry, tile.rect);
        const auto child =
            std::find_if(children.begin(), children.end(), [&](const Placed& p) { return p.entry == *step; });
        if (child == children.end())
            break;
        tile = childTile(m_tree, tile, *child);
        placed = true;
    }
    if (!placed)
        return std::nullopt;
    return tile;
}

} // namespace tallyvane
