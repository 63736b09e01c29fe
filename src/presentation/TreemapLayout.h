// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <QPointF>
#include <QRectF>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tallyvane {

// The shading surface of a tile: z = xx*x² + x*x + yy*y² + y*y, the sum of one parabolic ridge
// per enclosing tile, so nested tiles read as nested bumps without any border.
struct Cushion {
    double x = 0;
    double xx = 0;
    double y = 0;
    double yy = 0;
};

struct TreemapTile {
    enum class Kind : std::uint8_t {
        File,
        Folder,    // covered entirely by the tiles of its children and its remainder
        Remainder, // a folder's area left to itself: its own size beyond its children's, and
                   // the children too small to draw
    };
    EntryId entry; // for a remainder, its folder
    Kind kind;
    int depth; // 0 for the tiles that fill the bounds
    QRectF rect;
    Cushion cushion; // this tile's ridge included
};

// A squarified treemap (Bruls, Huizing and van Wijk) of the subtree below root in bounds: each
// entry's tile has the area of its share of root's size, and a folder's children are nested in
// its tile, largest first, in rows that keep the tiles as near square as the row allows.
//
// A folder's total is its size or, when its children add up to more, their sum. A child whose
// tile would be smaller than one square unit (a device pixel) and every entry of size zero is
// not placed: their area goes to the folder's remainder. The layout walks with an explicit
// stack, so no depth of folders can overflow; the hidden top NoEntry as root lays out the
// top-level entries side by side.
//
// Nothing is kept between calls: hit testing and finding a tile lay out the folders along one
// path again, which places every tile exactly where the full layout put it. The tree must not
// change while any of this runs.
class TreemapLayout {
public:
    TreemapLayout(const EntryTree& tree, EntryId root, const QRectF& bounds);

    // Calls visit for every tile, parents before their children. Returns false when cancelled
    // went true on the way (checked between folders), leaving the walk unfinished.
    bool visitTiles(const std::function<void(const TreemapTile&)>& visit,
                    const std::atomic_bool* cancelled = nullptr) const;

    // The deepest entry whose tile holds point, a folder when the point is on its remainder;
    // NoEntry outside the bounds or on an empty map. Edges belong to the tile right or below.
    EntryId entryAt(const QPointF& point) const;

    // The tile of entry, or of its deepest ancestor that has one when entry itself was too
    // small to place; none when entry lies outside root's subtree or the map is empty.
    std::optional<TreemapTile> tileOf(EntryId entry) const;

    // A folder's children take part in the layout only from this area on.
    static constexpr double SmallestArea = 1.0;
    // The height of the outermost ridge and the factor each level scales it by.
    static constexpr double RidgeHeight = 0.5;
    static constexpr double RidgeFalloff = 0.75;

private:
    const EntryTree& m_tree;
    EntryId m_root;
    QRectF m_bounds;
};

} // namespace tallyvane
