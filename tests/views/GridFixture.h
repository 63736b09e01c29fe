// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/SystemIcons.h"
#include "platform/FileAttributes.h"
#include "views/ResultGrid.h"
#include "views/TImageListEx.h"

#include <QPixmap>

#include <map>
#include <ostream>
#include <string>

// Lets test failures print texts readably.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace tallyvane::test {

// Three icons: a file's, a closed and an open folder's, each a solid colour.
class SolidIcons final : public SystemIconList {
public:
    int systemIndexOfFile(std::string_view) override { return 0; }
    int systemIndexOfFolder(bool open) override { return open ? 2 : 1; }
    QIcon icon(int index) override
    {
        static const QColor colors[] = {Qt::green, Qt::yellow, Qt::cyan};
        if (index < 0 || index > 2)
            return {};
        QPixmap pixmap(16, 16);
        pixmap.fill(colors[index]);
        return QIcon(pixmap);
    }
};

// A grid filled the way an analysis fills it: inside an update block, a new tree handed to the
// document, the root selected, expanded and focused. Its header sorts the document, as in the
// window.
class GridFixture {
public:
    GridFixture() : icons(systemIcons), grid(document, &icons)
    {
        grid.resize(1200, 600);
        QObject::connect(&grid, &ResultGrid::sortRequested, &document, &EntryDocument::sort);
    }

    // Adds a file or (with a trailing '/') a folder below the entry called parentName.
    EntryId add(const std::string& parentName, const std::string& name, std::int64_t size = 0)
    {
        const bool folder = name.ends_with('/');
        const std::string plain = folder ? name.substr(0, name.size() - 1) : name;
        const EntryId parent = parentName.empty() ? NoEntry : entries.at(parentName);
        const EntryId entry = building.addEntry(parent, folder ? Attribute::Directory : Attribute::Normal, size, plain);
        entries[plain] = entry;
        return entry;
    }

    // Sets every folder's size to the sum of its children's, as a scan leaves them. Children
    // come after their folder, so one backward pass adds every folder up, however deep.
    void sumSizes()
    {
        EntryTree& tree = building;
        for (auto entry = static_cast<EntryId>(tree.EntryCount()); entry != NoEntry; --entry) {
            if (tree.isFolder(entry))
                tree.setSize(entry, 0);
        }
        for (auto entry = static_cast<EntryId>(tree.EntryCount()); entry != NoEntry; --entry) {
            if (const EntryId parent = tree.ParentEntry(entry); parent != NoEntry)
                tree.setSize(parent, tree.size(parent) + tree.size(entry));
        }
    }

    template <typename Fill>
    void analyse(Fill fill)
    {
        grid.BeginGridUpdate();
        document.clear();
        entries.clear();
        building.ClearEntries();
        fill(*this);
        sumSizes();
        // Handed over unsorted: the document puts it in its order.
        document.replaceTree(building, SortKey::None, SortDirection::Descending, std::nullopt);
        const EntryId root = document.root();
        if (root != NoEntry) {
            grid.SelectEntry(root);
            grid.ExpandEntry(root);
            grid.FocusEntry(root);
        }
        grid.EndGridUpdate();
    }

    EntryId operator[](const std::string& name) const { return entries.at(name); }

    SolidIcons systemIcons;
    TImageListEx icons;
    EntryDocument document;
    EntryTree building; // the tree being filled, before the document takes it
    ResultGrid grid;
    std::map<std::string, EntryId> entries;
};

} // namespace tallyvane::test
