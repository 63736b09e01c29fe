// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PosixListing.h"

#include "platform/FileId.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

using test::FixtureTree;

FileId idOf(const std::string& path)
{
    struct stat st;
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return {st.st_dev, st.st_ino};
}

// A folder opened by its path, as the scan opens the folder it analyses.
std::unique_ptr<ReadAheadFolder> openTop(const std::string& path)
{
    auto top = ReadAheadFolder::make(nullptr, path, idOf(path));
    top->fd = FileDescriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return top;
}

// Every batch of a folder to its end: the records and the folders below, by name.
struct Listed {
    std::size_t records = 0;
    std::vector<std::string> children;
};

Listed listWhole(ReadAheadFolder& folder)
{
    Listed listed;
    std::vector<char> buffer(ListingBufferSize);
    const std::atomic<bool> stop{false};
    for (bool end = false; !end;) {
        ListingBatch batch = readListingBatch(folder, buffer.data(), stop);
        EXPECT_FALSE(batch.aborted);
        listed.records += batch.block.count;
        for (const auto& child : batch.children) {
            EXPECT_EQ(child->parent, &folder);
            EXPECT_EQ(child->id, idOf(std::string(folder.name) + "/" + child->name)) << child->name;
            listed.children.emplace_back(child->name);
        }
        end = batch.end;
    }
    std::sort(listed.children.begin(), listed.children.end());
    return listed;
}

TEST(PosixListing, ABatchHoldsEveryRecordAndAFolderForEachFolderButLinks)
{
    FixtureTree tree;
    tree.makeFile("file", 10);
    tree.makeFile(".hidden", 0);
    tree.makeFolder("sub");
    tree.makeFolder(".hidden-folder");
    tree.makeSymlink("link-to-sub", "sub");
    tree.makeSymlink("broken", "missing");
    for (int i = 0; i < 2000; ++i) // several batches
        tree.makeFile("many-" + std::to_string(i), i);
    auto top = openTop(tree.path());

    const Listed listed = listWhole(*top);
    EXPECT_EQ(listed.records, 2u + 6u + 2000u) << "with . and ..";
    EXPECT_EQ(listed.children, (std::vector<std::string>{".hidden-folder", "sub"}));
}

TEST(PosixListing, AStopOrAnAbandonedFolderAbortsTheBatch)
{
    FixtureTree tree;
    tree.makeFolder("sub");
    tree.makeFile("file", 1);
    std::vector<char> buffer(ListingBufferSize);
    for (const bool stopped : {true, false}) {
        SCOPED_TRACE(stopped ? "stopped" : "abandoned");
        auto top = openTop(tree.path());
        const std::atomic<bool> stop{stopped};
        top->abandoned = !stopped;
        const ListingBatch batch = readListingBatch(*top, buffer.data(), stop);
        EXPECT_TRUE(batch.aborted);
        EXPECT_TRUE(batch.children.empty());
    }
}

// A folder to open below top by its name, with the identity its record told.
std::unique_ptr<ReadAheadFolder> recordOf(ReadAheadFolder& top, const std::string& name)
{
    return ReadAheadFolder::make(&top, name, idOf(std::string(top.name) + "/" + name));
}

TEST(PosixListing, AChildIsOpenedUnlessItIsALinkNowOrItsOwnAncestor)
{
    FixtureTree tree;
    tree.makeFolder("sub");
    tree.makeFolder("swapped");
    auto top = openTop(tree.path());

    auto sub = recordOf(*top, "sub");
    ASSERT_TRUE(openChildFolder(*sub, top->fd.get(), true, {}));
    EXPECT_EQ(identityOf(sub->fd.get()), idOf(tree.pathOf("sub")));

    // Listed as a folder, replaced by a link to one before it is opened.
    auto swapped = recordOf(*top, "swapped");
    ::rmdir(tree.pathOf("swapped").c_str());
    tree.makeSymlink("swapped", "sub");
    EXPECT_FALSE(openChildFolder(*swapped, top->fd.get(), false, {}));
    EXPECT_FALSE(swapped->fd.valid());

    // A folder that is its parent's parent again, as through a bind mount loop: only workers,
    // which look for it, refuse it.
    auto loop = ReadAheadFolder::make(sub.get(), "..", top->id);
    EXPECT_FALSE(openChildFolder(*loop, sub->fd.get(), true, {}));
    EXPECT_TRUE(openChildFolder(*loop, sub->fd.get(), false, {}));

    // On another device with the scan kept on one file system: not even opened.
    auto elsewhere = ReadAheadFolder::make(top.get(), "sub", {top->id.device + 1, sub->id.inode});
    EXPECT_FALSE(openChildFolder(*elsewhere, top->fd.get(), false, {.oneFileSystem = true}));
}

TEST(PosixListing, ClimbingLandsAsManyLevelsUpAsAsked)
{
    FixtureTree tree(QStringLiteral("/dev/shm"));
    constexpr int Depth = 1500; // more than one call's worth of ".."
    tree.makeChain("", "c", Depth);
    int fd = ::open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::vector<FileId> levels{*identityOf(fd)};
    for (int level = 0; level < Depth; ++level) {
        const int next = ::openat(fd, "c", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        levels.push_back(*identityOf(fd));
    }
    const FileDescriptor bottom(fd);
    for (const unsigned up : {0u, 1u, 999u, 1000u, 1001u, 1500u}) {
        const FileDescriptor climbed = climbFolders(bottom.get(), up);
        ASSERT_TRUE(climbed.valid()) << up;
        EXPECT_EQ(identityOf(climbed.get()), levels[Depth - up]) << up;
    }
}

TEST(PosixListing, AFolderReopenedByNameMustStillBeTheSameFolder)
{
    FixtureTree tree;
    tree.makeFolder("a");
    tree.makeFolder("a/b");
    auto top = openTop(tree.path());
    auto a = recordOf(*top, "a");
    auto b = ReadAheadFolder::make(a.get(), "b", idOf(tree.pathOf("a/b")));

    for (const bool topOpen : {true, false}) {
        SCOPED_TRACE(topOpen ? "from the open top" : "from the path the scan began with");
        if (!topOpen)
            top->fd.reset();
        const FileDescriptor reopened = reopenByNames(*b);
        ASSERT_TRUE(reopened.valid());
        EXPECT_EQ(identityOf(reopened.get()), b->id);
    }

    ::rename(tree.pathOf("a/b").c_str(), tree.pathOf("a/moved").c_str());
    tree.makeFolder("a/b");
    EXPECT_FALSE(reopenByNames(*b).valid()) << "another folder by the same name";
}

} // namespace
} // namespace tallyvane
