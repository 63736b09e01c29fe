// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <optional>

namespace tallyvane {

// Paints the treemap of root (TreemapLayout over the whole image) with cushion shading: files
// in the colour of their type, folders' remainders grey, nothing else. The layout works in
// device pixels, so a ratio of 2 lays out and shades twice the pixels and stays sharp; the
// image carries the ratio. A pixel belongs to the tile that holds its centre. What no tile
// covers stays transparent. None when cancelled went true on the way.
std::optional<QImage> RenderTreemap(const EntryTree& tree, EntryId root, QSize deviceSize, qreal devicePixelRatio,
                                    const std::atomic_bool* cancelled = nullptr);

} // namespace tallyvane
