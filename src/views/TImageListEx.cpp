// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/TImageListEx.h"

#include <algorithm>

namespace tallyvane {
namespace {

// A 16-pixel-wide list draws the system's small icons, any other width its large ones, scaled
// to the list's size when they differ.
constexpr int kSmallSystemIcon = 16;
constexpr int kLargeSystemIcon = 32;

} // namespace

TImageListEx::TImageListEx(SystemIconList& system, int width, int height) : TImageListEx(system, {}, width, height) {}

TImageListEx::TImageListEx(SystemIconList& system, std::vector<QPixmap> designImages, int width, int height)
    : m_system(system), m_width(width), m_height(height), m_designCount(static_cast<int>(designImages.size())),
      m_images(std::move(designImages))
{
}

int TImageListEx::FileIconIndex(std::string_view name)
{
    return MapSystemIndex(m_system.systemIndexOfFile(name));
}

int TImageListEx::FolderIconIndex()
{
    return MapSystemIndex(m_system.systemIndexOfFolder(false));
}

int TImageListEx::OpenFolderIconIndex()
{
    return MapSystemIndex(m_system.systemIndexOfFolder(true));
}

int TImageListEx::MapSystemIndex(int systemIndex)
{
    if (systemIndex < 0)
        return -1;
    const auto copied = std::find(m_indexMap.begin(), m_indexMap.end(), systemIndex);
    if (copied != m_indexMap.end())
        return m_designCount + static_cast<int>(copied - m_indexMap.begin());
    // A failed copy is not remembered, so the next request tries again.
    const int index = CopySystemIcon(systemIndex);
    if (index >= 0)
        m_indexMap.push_back(systemIndex);
    return index;
}

int TImageListEx::CopySystemIcon(int systemIndex)
{
    const int side = m_width == kSmallSystemIcon ? kSmallSystemIcon : kLargeSystemIcon;
    // One device pixel per image pixel: the list holds width x height images whatever the screen.
    QPixmap copy = m_system.icon(systemIndex).pixmap(QSize(side, side), 1.0);
    if (copy.isNull())
        return -1;
    if (copy.size() != QSize(m_width, m_height))
        copy = copy.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_images.push_back(std::move(copy));
    return count() - 1;
}

QPixmap TImageListEx::image(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return m_images[index];
}

} // namespace tallyvane
