// SPDX-License-Identifier: GPL-3.0-or-later
// Times the result grid on large trees: closing the update block after a scan (sort and first
// paint), expanding a folder of 100,000 children, expanding a whole tree of 100,000 entries,
// painting near the top and the bottom of a long list, and the memory the model and view add.
// Run offscreen: QT_QPA_PLATFORM=offscreen grid_benchmark
#include "platform/FileAttributes.h"
#include "platform/SystemIcons.h"
#include "views/ResultGrid.h"
#include "views/TImageListEx.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include "ResidentMemory.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

using namespace tallyvane;

namespace {

// A tree shaped like a disk: folders of 2 to 40 entries, about one in eight a folder, down to
// nine levels, with one folder of `wideChildren` files below the root.
class TreeBuilder {
public:
    TreeBuilder(EntryTree& tree, std::uint32_t seed) : m_tree(tree), m_random(seed) {}

    EntryId build(std::size_t entries, std::size_t wideChildren)
    {
        const EntryId root = m_tree.addEntry(NoEntry, Attribute::Directory, 0, "/bench");
        m_wide = NoEntry;
        if (wideChildren > 0) {
            m_wide = m_tree.addEntry(root, Attribute::Directory, 0, "wide");
            for (std::size_t i = 0; i < wideChildren; ++i)
                addFile(m_wide, i);
        }
        std::vector<std::pair<EntryId, int>> folders{{root, 0}};
        for (std::size_t next = 0; m_tree.EntryCount() < entries; next = (next + 1) % folders.size()) {
            const auto [folder, level] = folders[next];
            const int count = 2 + static_cast<int>(m_random() % 39);
            for (int i = 0; i < count && m_tree.EntryCount() < entries; ++i) {
                if (level < 9 && m_random() % 8 == 0) {
                    const EntryId sub = m_tree.addEntry(folder, Attribute::Directory, 0, "folder" + std::to_string(i));
                    folders.emplace_back(sub, level + 1);
                } else {
                    addFile(folder, static_cast<std::size_t>(i));
                }
            }
        }
        sumFolders();
        return root;
    }

    EntryId wide() const { return m_wide; }

private:
    void addFile(EntryId folder, std::size_t i)
    {
        const std::int64_t size = static_cast<std::int64_t>(std::exponential_distribution<double>(1e-5)(m_random));
        m_tree.addEntry(folder, Attribute::Normal, size, "file" + std::to_string(i) + ".dat");
    }

    // Children come after their folder, so one backward pass adds every folder up.
    void sumFolders()
    {
        for (EntryId id = static_cast<EntryId>(m_tree.EntryCount()); id >= 1; --id) {
            const EntryId parent = m_tree.ParentEntry(id);
            if (parent != NoEntry)
                m_tree.setSize(parent, m_tree.size(parent) + m_tree.size(id));
        }
    }

    EntryTree& m_tree;
    std::mt19937 m_random;
    EntryId m_wide = NoEntry;
};

double elapsedMs(QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::size_t entries = argc > 1 ? std::stoul(argv[1]) : 1'000'000;

    FreedesktopIconList systemIcons;
    TImageListEx icons(systemIcons);
    EntryTree tree;
    ResultGrid grid(tree, &icons);
    grid.resize(1000, 700);
    grid.show();
    QApplication::processEvents();

    // An analysis: the tree is filled inside an update block, as a scan fills it.
    grid.BeginGridUpdate();
    grid.ClearEntries();
    const long before = residentKilobytes();
    TreeBuilder builder(grid.tree(), 1);
    const EntryId root = builder.build(entries, 100'000);
    const long treeBuilt = residentKilobytes();
    grid.SelectEntry(root);
    grid.ExpandEntry(root);
    grid.FocusEntry(root);
    QElapsedTimer clock;
    clock.start();
    grid.EndGridUpdate();
    grid.viewport()->repaint();
    const double closeMs = elapsedMs(clock);
    QApplication::processEvents();
    const long shown = residentKilobytes();

    clock.restart();
    grid.ExpandEntry(builder.wide());
    grid.viewport()->repaint();
    const double expandWideMs = elapsedMs(clock);

    // Painting near the top and at the bottom of the 100,000 rows now shown.
    clock.restart();
    for (int i = 0; i < 20; ++i)
        grid.viewport()->repaint();
    const double paintTopMs = elapsedMs(clock) / 20;
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    clock.restart();
    for (int i = 0; i < 20; ++i)
        grid.viewport()->repaint();
    const double paintBottomMs = elapsedMs(clock) / 20;

    // Expand-all on a tree of 100,000 entries.
    grid.BeginGridUpdate();
    grid.ClearEntries();
    TreeBuilder small(grid.tree(), 2);
    const EntryId smallRoot = small.build(100'000, 0);
    grid.FocusEntry(smallRoot);
    grid.EndGridUpdate();
    clock.restart();
    grid.ExpandSubtree(smallRoot);
    grid.viewport()->repaint();
    const double expandAllMs = elapsedMs(clock);

    std::printf("entries                               %zu\n", entries);
    std::printf("close update block (sort, first paint) %8.1f ms\n", closeMs);
    std::printf("expand a folder of 100,000 children    %8.1f ms\n", expandWideMs);
    std::printf("paint at the top / bottom of the list  %8.2f / %.2f ms\n", paintTopMs, paintBottomMs);
    std::printf("expand all, 100,000 entries            %8.1f ms\n", expandAllMs);
    std::printf("entry tree                             %8.1f bytes per entry\n",
                (treeBuilt - before) * 1024.0 / static_cast<double>(entries));
    std::printf("added by model and view                %8.1f bytes per entry\n",
                (shown - treeBuilt) * 1024.0 / static_cast<double>(entries));
    return 0;
}
