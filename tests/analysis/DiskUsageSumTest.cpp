// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/DiskUsageSum.h"
#include "platform/FileAttributes.h"
#include "platform/FileFacts.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace tallyvane {
namespace {

// Allocated sizes by path; a path it does not know is gone. Records what was asked.
class BlocksByPath final : public FileFactsSource {
public:
    std::map<std::string, std::int64_t> blocks;
    std::vector<std::string> asked;

    std::optional<FileFacts> factsOf(const std::string& path) override
    {
        asked.push_back(path);
        const auto found = blocks.find(path);
        if (found == blocks.end())
            return std::nullopt;
        FileFacts facts;
        facts.sizeOnDisk = found->second;
        return facts;
    }
};

class DiskUsageSumTest : public ::testing::Test {
protected:
    DiskUsageSumTest()
    {
        root = tree.addEntry(NoEntry, Attribute::Directory, 0, "/");
        data = tree.addEntry(root, Attribute::Directory, 0, "data");
        tree.addEntry(data, Attribute::Normal, 10, "a.txt");
        const EntryId sub = tree.addEntry(data, Attribute::Directory, 0, "sub");
        tree.addEntry(sub, Attribute::Normal, 5000, "b.bin");
        tree.addEntry(sub, Attribute::Normal, 1, "gone");
        tree.addEntry(root, Attribute::Normal, 99, "beside");
        files.blocks = {
            {"/data", 4096}, {"/data/a.txt", 4096}, {"/data/sub", 4096}, {"/data/sub/b.bin", 8192}, {"/beside", 4096}};
    }

    EntryTree tree;
    EntryId root, data;
    BlocksByPath files;
};

TEST_F(DiskUsageSumTest, SumsEverythingBelowAtAnyDepthAndNothingBeside)
{
    DiskUsageSum sum(tree, data, files);
    EXPECT_TRUE(sum.step(100));
    EXPECT_EQ(sum.total(), 4096 + 4096 + 8192); // a.txt, sub and b.bin; gone counts nothing
    EXPECT_EQ(files.asked, (std::vector<std::string>{"/data/a.txt", "/data/sub", "/data/sub/b.bin", "/data/sub/gone"}));
}

TEST_F(DiskUsageSumTest, EachStepAsksAtMostItsShare)
{
    DiskUsageSum sum(tree, root, files);
    int steps = 0;
    while (!sum.step(2)) {
        ++steps;
        EXPECT_EQ(files.asked.size(), static_cast<std::size_t>(2 * steps));
    }
    EXPECT_EQ(files.asked.size(), 6u);
    EXPECT_EQ(sum.total(), 4096 + 4096 + 4096 + 8192 + 4096);

    EntryTree empty;
    const EntryId folder = empty.addEntry(NoEntry, Attribute::Directory, 0, "/empty");
    DiskUsageSum none(empty, folder, files);
    EXPECT_TRUE(none.done());
    EXPECT_EQ(none.total(), 0);
}

} // namespace
} // namespace tallyvane
