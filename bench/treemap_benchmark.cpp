// SPDX-License-Identifier: GPL-3.0-or-later
// Times the treemap on a large tree: layout and shading at 1600×1000 (the picture the view
// makes after an analysis, legend included), the same through the view from a resize to the
// new picture on screen, and the memory the view adds beyond the tree.
// Run offscreen: QT_QPA_PLATFORM=offscreen treemap_benchmark [entries]
#include "platform/FileAttributes.h"
#include "presentation/FileTypePalette.h"
#include "presentation/TreemapImage.h"
#include "views/TreemapView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#include "DiskTree.h"
#include "ResidentMemory.h"

#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string>

using namespace tallyvane;
using bench::elapsedMs;

namespace {

// Files of a dozen types, so the map shows its palette.
constexpr const char* Suffixes[] = {".dat", ".txt", ".jpg", ".mp4", ".so",  ".h",
                                    ".cpp", ".iso", ".log", ".zip", ".pdf", ""};

// Resizes the view and waits for the picture at the new size.
double redrawMs(TreemapView& view, QSize size)
{
    QSignalSpy rendered(&view, &TreemapView::rendered);
    QElapsedTimer clock;
    clock.start();
    view.resize(size);
    while (rendered.isEmpty())
        rendered.wait(10'000);
    return elapsedMs(clock);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::size_t entries = argc > 1 ? std::stoul(argv[1]) : 1'000'000;

    EntryTree tree;
    bench::DiskTree(tree, 1, Suffixes).build(entries);

    // The work itself, on this thread: best of five.
    double renderMs = 1e9;
    double legendMs = 1e9;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        const auto image = RenderTreemap(tree, NoEntry, QSize(1600, 1000), 1);
        renderMs = std::min(renderMs, elapsedMs(clock));
        clock.restart();
        const auto legend = LargestFileTypes(tree, NoEntry, 8);
        legendMs = std::min(legendMs, elapsedMs(clock));
    }
    QElapsedTimer clock;
    clock.start();
    RenderTreemap(tree, NoEntry, QSize(3200, 2000), 2);
    const double doubleRatioMs = elapsedMs(clock);

    // The view: first picture after an analysis, then resizes. The memory is counted from the
    // view on screen without a tree (the window's own backing store and the style's fonts are
    // not the treemap's), and freed memory goes back to the system before each reading, so the
    // figures show what is kept, not the allocator's cache.
    TreemapView view;
    view.resize(1600, 1000 + 40);
    view.show();
    QApplication::processEvents();
    const QSize full(1600, 1000 + view.height() - view.mapRect().height());
    view.resize(full);
    QApplication::processEvents();
    malloc_trim(0);
    const long before = residentKilobytes();
    QSignalSpy rendered(&view, &TreemapView::rendered);
    clock.restart();
    EntryDocument document;
    document.replaceTree(tree, SortKey::None, SortDirection::Descending, std::nullopt);
    view.setDocument(&document);
    while (rendered.isEmpty())
        rendered.wait(10'000);
    const double firstMs = elapsedMs(clock);
    double resizeMs = 0;
    for (const QSize size : {QSize(1500, 950), QSize(1600, 1000), QSize(1400, 900), full})
        resizeMs = std::max(resizeMs, redrawMs(view, size));
    const long peak = residentKilobytes();
    malloc_trim(0);
    const long shown = residentKilobytes();

    std::printf("entries                                   %zu\n", entries);
    std::printf("lay out and shade at 1600x1000            %8.1f ms\n", renderMs);
    std::printf("the same at device pixel ratio 2          %8.1f ms\n", doubleRatioMs);
    std::printf("legend (largest types)                    %8.1f ms\n", legendMs);
    std::printf("view: first picture of a document         %8.1f ms\n", firstMs);
    std::printf("view: resize to new picture, slowest of 4 %8.1f ms\n", resizeMs);
    std::printf("added by the view, kept (image included)  %8.1f bytes per entry\n",
                (shown - before) * 1024.0 / static_cast<double>(entries));
    std::printf("  before returning freed memory           %8.1f bytes per entry\n",
                (peak - before) * 1024.0 / static_cast<double>(entries));
    std::printf("  of which the picture (1600x1000x4 bytes) %7.1f bytes per entry\n",
                1600.0 * 1000 * 4 / static_cast<double>(entries));
    return 0;
}
