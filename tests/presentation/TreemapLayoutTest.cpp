// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/TreemapLayout.h"

#include "platform/FileAttributes.h"

#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>

using namespace tallyvane;

namespace {

// Entries of a test tree, each folder's size the sum of its children's unless a case says not.
class TreeMaker {
public:
    explicit TreeMaker(EntryTree& tree) : m_tree(tree) {}

    EntryId folder(EntryId parent, std::string name = "folder")
    {
        return m_tree.addEntry(parent, Attribute::Directory, 0, name);
    }
    EntryId file(EntryId parent, std::int64_t size, std::string name = "file.dat")
    {
        return m_tree.addEntry(parent, Attribute::Normal, size, name);
    }
    // Children come after their parents, so one backward pass adds every folder up.
    void sumFolders()
    {
        for (auto id = static_cast<EntryId>(m_tree.EntryCount()); id >= 1; --id) {
            if (m_tree.isFolder(id))
                continue;
            for (EntryId p = m_tree.ParentEntry(id); p != NoEntry; p = m_tree.ParentEntry(p))
                m_tree.setSize(p, m_tree.size(p) + m_tree.size(id));
        }
    }

private:
    EntryTree& m_tree;
};

// Folders add up bottom-up without walking each file's ancestors: fine for deep chains.
void sumFoldersFast(EntryTree& tree)
{
    for (auto id = static_cast<EntryId>(tree.EntryCount()); id >= 1; --id) {
        const EntryId parent = tree.ParentEntry(id);
        if (parent != NoEntry)
            tree.setSize(parent, tree.size(parent) + tree.size(id));
    }
}

void randomTree(EntryTree& tree, std::uint32_t seed, std::size_t entries)
{
    std::mt19937 random(seed);
    TreeMaker make(tree);
    std::vector<EntryId> folders{make.folder(NoEntry, "/r")};
    while (tree.EntryCount() < entries) {
        const EntryId parent = folders[random() % folders.size()];
        if (random() % 6 == 0)
            folders.push_back(make.folder(parent));
        else
            make.file(parent, 1 + static_cast<std::int64_t>(random() % 100'000),
                      "f" + std::to_string(random() % 7) + ".t" + std::to_string(random() % 5));
    }
    sumFoldersFast(tree);
}

struct LayoutCase {
    std::string name;
    std::function<void(EntryTree&)> build;
    QRectF bounds;
};

void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<TreemapTile> allTiles(const TreemapLayout& layout)
{
    std::vector<TreemapTile> tiles;
    EXPECT_TRUE(layout.visitTiles([&](const TreemapTile& tile) { tiles.push_back(tile); }));
    return tiles;
}

double area(const QRectF& r)
{
    return r.width() * r.height();
}

constexpr double Slack = 1e-6; // for edges computed by different sums

bool inside(const QRectF& inner, const QRectF& outer)
{
    return inner.left() >= outer.left() - Slack && inner.right() <= outer.right() + Slack
        && inner.top() >= outer.top() - Slack && inner.bottom() <= outer.bottom() + Slack;
}

// Sweeps the tiles by left edge and compares each with those that start before it ends.
::testing::AssertionResult noOverlap(std::vector<QRectF> tiles)
{
    std::sort(tiles.begin(), tiles.end(), [](const QRectF& a, const QRectF& b) { return a.left() < b.left(); });
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        for (std::size_t j = i + 1; j < tiles.size() && tiles[j].left() < tiles[i].right() - Slack; ++j) {
            const double top = std::max(tiles[i].top(), tiles[j].top());
            const double bottom = std::min(tiles[i].bottom(), tiles[j].bottom());
            if (bottom - top > Slack)
                return ::testing::AssertionFailure() << "tiles " << i << " and " << j << " overlap";
        }
    }
    return ::testing::AssertionSuccess();
}

class LayoutInvariants : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutInvariants, TilesNestWithoutOverlapAndAreasFollowSizes)
{
    EntryTree tree;
    GetParam().build(tree);
    const QRectF bounds = GetParam().bounds;
    const TreemapLayout layout(tree, NoEntry, bounds);
    const std::vector<TreemapTile> tiles = allTiles(layout);
    ASSERT_FALSE(tiles.empty());

    std::int64_t total = 0;
    for (EntryId top = tree.FirstEntry(); top != NoEntry; top = tree.NextSiblingEntry(top))
        total += tree.size(top);
    const double unit = area(bounds) / static_cast<double>(total);

    std::unordered_map<EntryId, QRectF> folderRects{{NoEntry, bounds}};
    std::unordered_map<EntryId, std::vector<QRectF>> siblings;
    std::unordered_map<EntryId, double> childArea;
    for (const TreemapTile& tile : tiles) {
        const EntryId parent = tile.kind == TreemapTile::Kind::Remainder ? tile.entry : tree.ParentEntry(tile.entry);
        ASSERT_TRUE(folderRects.contains(parent)) << "parent laid out first";
        ASSERT_TRUE(inside(tile.rect, folderRects.at(parent))) << "entry " << tile.entry;
        siblings[parent].push_back(tile.rect);
        childArea[parent] += area(tile.rect);
        if (tile.kind == TreemapTile::Kind::Folder)
            folderRects.emplace(tile.entry, tile.rect);
        if (tile.kind != TreemapTile::Kind::Remainder) {
            ASSERT_GT(tree.size(tile.entry), 0) << "a zero-size entry got a tile";
            // Sizes add up in these trees, so every tile's share of the bounds is its size's share.
            EXPECT_NEAR(area(tile.rect), static_cast<double>(tree.size(tile.entry)) * unit, 0.01)
                << "entry " << tile.entry;
        }
    }
    // Each folder is covered exactly by its children and its remainder, none overlapping.
    for (const auto& [folder, rects] : siblings) {
        EXPECT_NEAR(childArea[folder], area(folderRects.at(folder)), 0.01) << "folder " << folder;
        EXPECT_TRUE(noOverlap(rects)) << "in folder " << folder;
    }
    // Whatever is missing was too small to draw or had no size.
    std::unordered_map<EntryId, bool> hasTile;
    for (const TreemapTile& tile : tiles) {
        if (tile.kind != TreemapTile::Kind::Remainder)
            hasTile[tile.entry] = true;
    }
    for (EntryId e = tree.FirstEntry(); e != NoEntry; e = tree.NextEntry(e)) {
        const EntryId parent = tree.ParentEntry(e);
        if (!hasTile.contains(e) && (parent == NoEntry || hasTile.contains(parent))) {
            EXPECT_LT(static_cast<double>(tree.size(e)) * unit, TreemapLayout::SmallestArea) << "entry " << e;
        }
    }
}

const QRectF Screen(0, 0, 800, 600);

INSTANTIATE_TEST_SUITE_P(
    Trees, LayoutInvariants,
    ::testing::Values(LayoutCase{"OneChild",
                                 [](EntryTree& tree) {
                                     TreeMaker make(tree);
                                     make.file(make.folder(NoEntry, "/one"), 1234);
                                     make.sumFolders();
                                 },
                                 Screen},
                      LayoutCase{"EqualChildren",
                                 [](EntryTree& tree) {
                                     TreeMaker make(tree);
                                     const EntryId top = make.folder(NoEntry, "/equal");
                                     for (int i = 0; i < 37; ++i)
                                         make.file(top, 1000);
                                     make.sumFolders();
                                 },
                                 Screen},
                      LayoutCase{"OneHugeManyTiny",
                                 [](EntryTree& tree) {
                                     TreeMaker make(tree);
                                     const EntryId top = make.folder(NoEntry, "/huge");
                                     make.file(top, 1'000'000'000'000);
                                     for (int i = 0; i < 10'000; ++i)
                                         make.file(top, 1 + i % 50);
                                     make.sumFolders();
                                 },
                                 Screen},
                      LayoutCase{"ZeroSizeEntries",
                                 [](EntryTree& tree) {
                                     TreeMaker make(tree);
                                     const EntryId top = make.folder(NoEntry, "/zero");
                                     make.file(top, 0);
                                     make.file(top, 500);
                                     make.folder(top, "empty");
                                     make.file(make.folder(top, "zeros"), 0);
                                     make.file(top, 0);
                                     make.file(top, 300);
                                     make.sumFolders();
                                 },
                                 Screen},
                      LayoutCase{"DeepChain",
                                 [](EntryTree& tree) {
                                     TreeMaker make(tree);
                                     EntryId folder = make.folder(NoEntry, "/deep");
                                     for (int i = 0; i < 100'000; ++i)
                                         folder = make.folder(folder);
                                     make.file(folder, 4096);
                                     sumFoldersFast(tree);
                                 },
                                 QRectF(0, 0, 40, 30)},
                      LayoutCase{"WideFolder",
                                 [](EntryTree& tree) {
                                     TreeMaker make(tree);
                                     const EntryId top = make.folder(NoEntry, "/wide");
                                     std::mt19937 random(7);
                                     for (int i = 0; i < 200'000; ++i)
                                         make.file(top,
                                                   static_cast<std::int64_t>(
                                                       std::exponential_distribution<double>(1e-4)(random)));
                                     make.sumFolders();
                                 },
                                 Screen},
                      LayoutCase{"TopLevelSideBySide",
                                 [](EntryTree& tree) {
                                     TreeMaker make(tree);
                                     make.file(make.folder(NoEntry, "/a"), 700);
                                     make.file(NoEntry, 300, "/b.iso");
                                     make.sumFolders();
                                 },
                                 QRectF(10, 20, 300, 200)},
                      LayoutCase{"RandomNested", [](EntryTree& tree) { randomTree(tree, 11, 20'000); }, Screen}),
    [](const auto& info) { return info.param.name; });

TEST(TreemapLayout, OneChildFillsItsFolder)
{
    EntryTree tree;
    TreeMaker make(tree);
    const EntryId folder = make.folder(NoEntry, "/one");
    const EntryId file = make.file(folder, 10);
    make.sumFolders();
    const auto tile = TreemapLayout(tree, NoEntry, Screen).tileOf(file);
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->rect, Screen);
    EXPECT_EQ(tile->depth, 1);
}

TEST(TreemapLayout, FolderOwnSizeBeyondItsChildrenIsItsRemainder)
{
    EntryTree tree;
    TreeMaker make(tree);
    const EntryId folder = make.folder(NoEntry, "/own");
    const EntryId file = make.file(folder, 250);
    tree.setSize(folder, 1000); // the folder holds more than its children show
    const TreemapLayout layout(tree, folder, QRectF(0, 0, 100, 100));
    double fileArea = 0;
    double remainderArea = 0;
    layout.visitTiles([&](const TreemapTile& tile) {
        if (tile.entry == file)
            fileArea += area(tile.rect);
        else if (tile.kind == TreemapTile::Kind::Remainder)
            remainderArea += area(tile.rect);
    });
    EXPECT_NEAR(fileArea, 2500, 1e-9);
    EXPECT_NEAR(remainderArea, 7500, 1e-9);
}

TEST(TreemapLayout, ChildrenAddingUpToMoreThanTheirFolderAreScaledIntoIt)
{
    EntryTree tree;
    TreeMaker make(tree);
    const EntryId folder = make.folder(NoEntry, "/short");
    make.file(folder, 300);
    make.file(folder, 100);
    tree.setSize(folder, 10); // stale total, as an import can bring
    const TreemapLayout layout(tree, folder, QRectF(0, 0, 40, 10));
    std::vector<TreemapTile> tiles = allTiles(layout);
    ASSERT_EQ(tiles.size(), 3u);
    EXPECT_EQ(tiles[1].rect, QRectF(0, 0, 30, 10));
    EXPECT_EQ(tiles[2].rect, QRectF(30, 0, 10, 10));
}

// The paper's algorithm as it prints it, recursion and all, for one flat list of areas.
class ReferenceSquarify {
public:
    std::vector<QRectF> tiles;

    void run(std::vector<double> areas, QRectF rect)
    {
        m_rect = rect;
        std::vector<double> row;
        squarify(areas, 0, row);
    }

private:
    double shorterSide() const { return std::min(m_rect.width(), m_rect.height()); }
    static double worst(const std::vector<double>& row, double w)
    {
        const double s = std::accumulate(row.begin(), row.end(), 0.0);
        const auto [minIt, maxIt] = std::minmax_element(row.begin(), row.end());
        return std::max(w * w * *maxIt / (s * s), s * s / (w * w * *minIt));
    }
    void squarify(const std::vector<double>& children, std::size_t next, std::vector<double>& row)
    {
        if (next == children.size()) {
            layoutRow(row);
            return;
        }
        const double w = shorterSide();
        std::vector<double> grown = row;
        grown.push_back(children[next]);
        if (row.empty() || worst(row, w) >= worst(grown, w)) {
            squarify(children, next + 1, grown);
        } else {
            layoutRow(row);
            std::vector<double> empty;
            squarify(children, next, empty);
        }
    }
    void layoutRow(const std::vector<double>& row)
    {
        const double s = std::accumulate(row.begin(), row.end(), 0.0);
        if (m_rect.width() >= m_rect.height()) {
            const double thickness = s / m_rect.height();
            double y = m_rect.top();
            for (const double a : row) {
                tiles.emplace_back(m_rect.left(), y, thickness, a / thickness);
                y += a / thickness;
            }
            m_rect.setLeft(m_rect.left() + thickness);
        } else {
            const double thickness = s / m_rect.width();
            double x = m_rect.left();
            for (const double a : row) {
                tiles.emplace_back(x, m_rect.top(), a / thickness, thickness);
                x += a / thickness;
            }
            m_rect.setTop(m_rect.top() + thickness);
        }
    }
    QRectF m_rect;
};

double aspect(const QRectF& r)
{
    return std::max(r.width() / r.height(), r.height() / r.width());
}

TEST(TreemapLayout, LeafAspectRatiosMatchTheSquarifiedAlgorithm)
{
    const QRectF bounds(0, 0, 1000, 700);
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        EntryTree tree;
        TreeMaker make(tree);
        const EntryId folder = make.folder(NoEntry, "/flat");
        std::vector<double> sizes;
        for (int i = 0; i < 500; ++i) {
            sizes.push_back(static_cast<double>(1 + random() % 1000));
            make.file(folder, static_cast<std::int64_t>(sizes.back()));
        }
        make.sumFolders();

        double ours = 0;
        int count = 0;
        TreemapLayout(tree, folder, bounds).visitTiles([&](const TreemapTile& tile) {
            if (tile.kind == TreemapTile::Kind::File) {
                ours += aspect(tile.rect);
                ++count;
            }
        });
        ASSERT_EQ(count, 500);

        std::sort(sizes.begin(), sizes.end(), std::greater<>());
        const double scale = area(bounds) / std::accumulate(sizes.begin(), sizes.end(), 0.0);
        for (double& s : sizes)
            s *= scale;
        ReferenceSquarify reference;
        reference.run(sizes, bounds);
        double theirs = 0;
        for (const QRectF& r : reference.tiles)
            theirs += aspect(r);
        EXPECT_NEAR(ours / count, theirs / static_cast<double>(reference.tiles.size()), 1e-6) << "seed " << seed;
    }
}

TEST(TreemapLayout, LeafAspectRatiosOnRandomNestedTreesStayNearSquare)
{
    double sum = 0;
    int count = 0;
    for (std::uint32_t seed = 1; seed <= 5; ++seed) {
        EntryTree tree;
        randomTree(tree, seed, 50'000);
        TreemapLayout(tree, NoEntry, QRectF(0, 0, 1600, 1000)).visitTiles([&](const TreemapTile& tile) {
            if (tile.kind == TreemapTile::Kind::File) {
                sum += aspect(tile.rect);
                ++count;
            }
        });
    }
    const double mean = sum / count;
    RecordProperty("MeanLeafAspectRatio", std::to_string(mean));
    std::printf("mean aspect ratio of %d leaf tiles: %.3f\n", count, mean);
    // Slicing the same trees in strips gives ratios in the hundreds; squarified rows stay
    // below two on average.
    EXPECT_LT(mean, 2.0);
}

TEST(TreemapLayout, HitTestingFindsTheDeepestTileHoldingThePoint)
{
    EntryTree tree;
    randomTree(tree, 3, 5'000);
    const QRectF bounds(0, 0, 640, 480);
    const TreemapLayout layout(tree, NoEntry, bounds);
    const std::vector<TreemapTile> tiles = allTiles(layout);

    std::mt19937 random(5);
    std::uniform_real_distribution<double> x(0, 640);
    std::uniform_real_distribution<double> y(0, 480);
    for (int i = 0; i < 2'000; ++i) {
        const QPointF point(x(random), y(random));
        const TreemapTile* deepest = nullptr;
        for (const TreemapTile& tile : tiles) {
            const bool holds = point.x() >= tile.rect.left() && point.x() < tile.rect.right()
                && point.y() >= tile.rect.top() && point.y() < tile.rect.bottom();
            if (holds && (!deepest || tile.depth > deepest->depth))
                deepest = &tile;
        }
        ASSERT_NE(deepest, nullptr);
        EXPECT_EQ(layout.entryAt(point), deepest->entry) << point.x() << "," << point.y();
    }
    EXPECT_EQ(layout.entryAt(QPointF(-1, 10)), NoEntry);
    EXPECT_EQ(layout.entryAt(QPointF(640, 10)), NoEntry);
}

TEST(TreemapLayout, TileOfAnEntryIsWhereTheLayoutPutIt)
{
    EntryTree tree;
    randomTree(tree, 4, 5'000);
    const EntryId root = tree.FirstEntry();
    const TreemapLayout layout(tree, root, QRectF(0, 0, 300, 200));
    std::unordered_map<EntryId, TreemapTile> placed;
    layout.visitTiles([&](const TreemapTile& tile) {
        if (tile.kind != TreemapTile::Kind::Remainder)
            placed.emplace(tile.entry, tile);
    });
    int tooSmall = 0;
    for (EntryId e = root; e != NoEntry; e = tree.NextEntryWithin(e, root)) {
        const auto tile = layout.tileOf(e);
        ASSERT_TRUE(tile);
        EntryId drawn = e;
        while (!placed.contains(drawn))
            drawn = tree.ParentEntry(drawn);
        tooSmall += drawn != e;
        EXPECT_EQ(tile->entry, drawn);
        EXPECT_EQ(tile->rect, placed.at(drawn).rect);
        EXPECT_EQ(tile->depth, placed.at(drawn).depth);
    }
    EXPECT_GT(tooSmall, 0) << "the case should hold entries too small to draw";

    // Outside the zoomed folder there is nothing to find.
    TreeMaker make(tree);
    const EntryId elsewhere = make.file(NoEntry, 5, "/elsewhere");
    EXPECT_FALSE(layout.tileOf(elsewhere));
    EXPECT_FALSE(layout.tileOf(NoEntry));
}

TEST(TreemapLayout, CancelStopsTheWalk)
{
    EntryTree tree;
    randomTree(tree, 6, 10'000);
    std::atomic_bool cancelled{true};
    int visited = 0;
    EXPECT_FALSE(TreemapLayout(tree, NoEntry, Screen).visitTiles([&](const TreemapTile&) { ++visited; }, &cancelled));
    EXPECT_EQ(visited, 0);
}

TEST(TreemapLayout, DeepChainNeedsNoDeepStack)
{
    EntryTree tree;
    TreeMaker make(tree);
    EntryId folder = make.folder(NoEntry, "/deep");
    for (int i = 0; i < 100'000; ++i)
        folder = make.folder(folder);
    const EntryId bottom = make.file(folder, 1 << 20);
    sumFoldersFast(tree);

    // 64 KiB of stack: a walk that recursed once per level would overflow many times over.
    std::size_t tiles = 0;
    EntryId hit = NoEntry;
    std::optional<TreemapTile> tile;
    QThread* thread = QThread::create([&] {
        const TreemapLayout layout(tree, NoEntry, QRectF(0, 0, 400, 300));
        layout.visitTiles([&](const TreemapTile&) { ++tiles; });
        hit = layout.entryAt(QPointF(200, 150));
        tile = layout.tileOf(bottom);
    });
    thread->setStackSize(64 * 1024);
    thread->start();
    ASSERT_TRUE(thread->wait(QDeadlineTimer(60'000)));
    delete thread;
    EXPECT_EQ(tiles, 100'002u);
    EXPECT_EQ(hit, bottom);
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->depth, 100'001);
    EXPECT_EQ(tile->rect, QRectF(0, 0, 400, 300));
}

} // namespace
