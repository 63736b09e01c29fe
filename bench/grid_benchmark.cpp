// SPDX-License-Identifier: GPL-3.0-or-later
// Times the result grid on large trees: closing the update block after a scan (sort and first
// paint), expanding a folder of 100,000 children, expanding a whole tree of 100,000 entries,
// painting near the top and the bottom of a long list, and the memory the model and view add.
// Run offscreen: QT_QPA_PLATFORM=offscreen grid_benchmark
#include "desktop/SystemIcons.h"
#include "platform/FileAttributes.h"
#include "views/ResultGrid.h"
#include "views/TImageListEx.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include "DiskTree.h"
#include "ResidentMemory.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace tallyvane;
using bench::elapsedMs;

namespace {

// Every file a ".dat": the grid does not care about types.
constexpr const char* DataSuffix[] = {".dat"};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::size_t entries = argc > 1 ? std::stoul(argv[1]) : 1'000'000;

    FreedesktopIconList systemIcons;
    TImageListEx icons(systemIcons);
    EntryDocument document;
    ResultGrid grid(document, &icons);
    grid.resize(1000, 700);
    grid.show();
    QApplication::processEvents();

    // An analysis: a tree filled apart, handed to the document inside an update block.
    grid.BeginGridUpdate();
    document.clear();
    const long before = residentKilobytes();
    EntryTree tree;
    bench::DiskTree builder(tree, 1, DataSuffix);
    const EntryId root = builder.build(entries, 100'000);
    const long treeBuilt = residentKilobytes();
    QElapsedTimer clock;
    clock.start();
    document.replaceTree(tree, SortKey::None, SortDirection::Descending, std::nullopt);
    const double sortMs = elapsedMs(clock);
    grid.SelectEntry(root);
    grid.ExpandEntry(root);
    grid.FocusEntry(root);
    clock.restart();
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
    document.clear();
    EntryTree smallTree;
    bench::DiskTree small(smallTree, 2, DataSuffix);
    const EntryId smallRoot = small.build(100'000, 0);
    document.replaceTree(smallTree, SortKey::None, SortDirection::Descending, std::nullopt);
    grid.FocusEntry(smallRoot);
    grid.EndGridUpdate();
    clock.restart();
    grid.ExpandSubtree(smallRoot);
    grid.viewport()->repaint();
    const double expandAllMs = elapsedMs(clock);

    std::printf("entries                               %zu\n", entries);
    std::printf("hand the tree over (sort)              %8.1f ms\n", sortMs);
    std::printf("close update block (first paint)       %8.1f ms\n", closeMs);
    std::printf("expand a folder of 100,000 children    %8.1f ms\n", expandWideMs);
    std::printf("paint at the top / bottom of the list  %8.2f / %.2f ms\n", paintTopMs, paintBottomMs);
    std::printf("expand all, 100,000 entries            %8.1f ms\n", expandAllMs);
    std::printf("entry tree                             %8.1f bytes per entry\n",
                (treeBuilt - before) * 1024.0 / static_cast<double>(entries));
    std::printf("added by model and view                %8.1f bytes per entry\n",
                (shown - treeBuilt) * 1024.0 / static_cast<double>(entries));
    return 0;
}
