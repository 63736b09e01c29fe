// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/TreemapImage.h"

#include "presentation/FileTypePalette.h"
#include "presentation/TreemapLayout.h"

#include <algorithm>
#include <cmath>

namespace tallyvane {
namespace {

// Light from the upper left and a little above, as a desk lamp lights a page.
constexpr double LightX = -0.09759;
constexpr double LightY = -0.19518;
constexpr double LightZ = 0.97590;
constexpr double Ambient = 40.0 / 255;
constexpr double Diffuse = 215.0 / 255;

// The pixels whose centres lie in [from, to), clipped to [0, limit).
std::pair<int, int> pixelSpan(double from, double to, int limit)
{
    const auto first = static_cast<int>(std::clamp(std::ceil(from - 0.5), 0.0, static_cast<double>(limit)));
    const auto end = static_cast<int>(std::clamp(std::ceil(to - 0.5), 0.0, static_cast<double>(limit)));
    return {first, end};
}

void shadeTile(QImage& image, const TreemapTile& tile, const QColor& colour)
{
    const auto [left, right] = pixelSpan(tile.rect.left(), tile.rect.right(), image.width());
    const auto [top, bottom] = pixelSpan(tile.rect.top(), tile.rect.bottom(), image.height());
    const double red = colour.red();
    const double green = colour.green();
    const double blue = colour.blue();
    const Cushion& c = tile.cushion;
    for (int y = top; y < bottom; ++y) {
        // The surface's normal is (-dz/dx, -dz/dy, 1); its y part is the same along a row.
        const double ny = -(2 * c.yy * (y + 0.5) + c.y);
        const double nyLight = ny * LightY + LightZ;
        const double nySquared = ny * ny + 1;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = left; x < right; ++x) {
            const double nx = -(2 * c.xx * (x + 0.5) + c.x);
            const double cosine = (nx * LightX + nyLight) / std::sqrt(nx * nx + nySquared);
            const double light = Ambient + Diffuse * std::max(0.0, cosine);
            line[x] =
                qRgb(static_cast<int>(std::min(255.0, red * light)), static_cast<int>(std::min(255.0, green * light)),
                     static_cast<int>(std::min(255.0, blue * light)));
        }
    }
}

} // namespace

std::optional<QImage> RenderTreemap(const EntryTree& tree, EntryId root, QSize deviceSize, qreal devicePixelRatio,
                                    const std::atomic_bool* cancelled)
{
    QImage image(deviceSize, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    const QColor remainder = RemainderColour();
    const TreemapLayout layout(tree, root, QRectF(QPointF(0, 0), QSizeF(deviceSize)));
    const bool finished = layout.visitTiles(
        [&](const TreemapTile& tile) {
            switch (tile.kind) {
            case TreemapTile::Kind::Folder:
                break;
            case TreemapTile::Kind::File:
                shadeTile(image, tile, FileTypeColour(FileTypeKey(tree.name(tile.entry))));
                break;
            case TreemapTile::Kind::Remainder:
                shadeTile(image, tile, remainder);
                break;
            }
        },
        cancelled);
    if (!finished)
        return std::nullopt;
    return image;
}

} // namespace tallyvane
