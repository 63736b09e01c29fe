// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/SystemIcons.h"

#include <QPixmap>

#include <string_view>
#include <vector>

namespace tallyvane {

// The grid's own list of row icons: each system icon is copied in the first time a row needs it,
// so the grid draws from a small list whose indexes never change while it lives. Own index
// DesignCount() + i holds the copy of system icon IndexMap()[i]; nothing else adds images.
// Indexes follow the order icons are first asked for, so they differ from run to run.
class TImageListEx {
public:
    explicit TImageListEx(SystemIconList& system, int width = 16, int height = 16);
    // A list that starts with images of its own (each width x height); copies come after them.
    TImageListEx(SystemIconList& system, std::vector<QPixmap> designImages, int width = 16, int height = 16);

    // Each returns an own index, or -1 when there is no icon.
    int FileIconIndex(std::string_view name); // a file name without path
    int FolderIconIndex();
    int OpenFolderIconIndex();
    int MapSystemIndex(int systemIndex);

    int DesignCount() const { return m_designCount; }
    const std::vector<int>& IndexMap() const { return m_indexMap; }
    int count() const { return static_cast<int>(m_images.size()); }
    // The image at an own index; null when out of range.
    QPixmap image(int index) const;

private:
    int CopySystemIcon(int systemIndex);

    SystemIconList& m_system;
    int m_width;
    int m_height;
    int m_designCount;
    std::vector<QPixmap> m_images;
    std::vector<int> m_indexMap;
};

} // namespace tallyvane
