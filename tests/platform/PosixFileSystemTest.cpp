// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PosixFileSystem.h"
#include "platform/FileAttributes.h"
#include "support/FixtureTree.h"
#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace tallyvane {
namespace {

using test::FixtureTree;

struct Record {
    std::uint32_t attributes;
    std::int64_t size;
    bool operator==(const Record&) const = default;
};

std::map<std::string, Record> listAll(FolderListing& listing)
{
    std::map<std::string, Record> records;
    FolderItem item;
    while (listing.next(item))
        records[std::string(item.name)] = {item.attributes, item.size};
    return records;
}

// Every file and folder below a listing as "path size", walked the way a scan walks.
void walk(FolderListing& listing, const std::string& prefix, std::vector<std::string>& out)
{
    FolderItem item;
    while (listing.next(item)) {
        if (item.name == "." || item.name == "..")
            continue;
        const std::string path = prefix + "/" + std::string(item.name);
        if (item.attributes & Attribute::Directory) {
            out.push_back(path + "/");
            auto child = listing.openItem();
            walk(*child, path, out);
        } else {
            out.push_back(path + " " + std::to_string(item.size));
        }
    }
}

std::vector<std::string> sortedWalk(FileSystem& fileSystem, const std::string& path)
{
    std::vector<std::string> paths;
    walk(*fileSystem.openFolder(path), "", paths);
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(PosixFileSystem, RecordsCarryAttributesAndApparentLengths)
{
    FixtureTree tree;
    tree.makeFolder("folder");
    tree.makeFile("plain.txt", 1234);
    tree.makeFile(".hidden", 7);
    tree.makeFile("locked", 3);
    ::chmod(tree.pathOf("locked").c_str(), 0444);
    tree.makeFile("sparse.img", 5LL << 30);
    tree.makeSymlink("link", "plain.txt");
    tree.makeSymlink("folder-link", "folder");

    PosixFileSystem fileSystem;
    const auto records = listAll(*fileSystem.openFolder(tree.path()));

    using namespace Attribute;
    const std::map<std::string, Record> expected{
        {".", {Directory | Hidden, 0}},
        {"..", {Directory | Hidden, 0}},
        {".hidden", {Hidden, 7}},
        {"folder", {Directory, records.at("folder").size}},
        {"folder-link", {ReparsePoint, 6}},
        {"link", {ReparsePoint, 9}},
        {"locked", {ReadOnly, 3}},
        {"plain.txt", {Normal, 1234}},
        {"sparse.img", {Normal, 5LL << 30}},
    };
    EXPECT_EQ(records, expected);
}

TEST(PosixFileSystem, FollowsNoLinkBelowTheAnalysedFolder)
{
    FixtureTree tree;
    tree.makeFolder("real");
    tree.makeFile("real/inside", 10);
    tree.makeSymlink("to-folder", "real");
    tree.makeSymlink("to-top", ".");

    PosixFileSystem fileSystem;
    const std::vector<std::string> expected{"/real/", "/real/inside 10", "/to-folder 4", "/to-top 1"};
    EXPECT_EQ(sortedWalk(fileSystem, tree.path()), expected);
}

TEST(PosixFileSystem, MissingFoldersAndFilesReadAsEmpty)
{
    FixtureTree tree;
    tree.makeFile("file", 5);
    PosixFileSystem fileSystem;
    EXPECT_TRUE(listAll(*fileSystem.openFolder(tree.pathOf("missing"))).empty());
    EXPECT_TRUE(listAll(*fileSystem.openFolder(tree.pathOf("file"))).empty());
    EXPECT_FALSE(fileSystem.isFolder(tree.pathOf("file")));
    EXPECT_TRUE(fileSystem.exists(tree.pathOf("file")));
    EXPECT_FALSE(fileSystem.exists(tree.pathOf("missing")));
    EXPECT_TRUE(fileSystem.isFolder(tree.path()));
}

TEST(PosixFileSystem, UnreadableFoldersReadAsEmpty)
{
    FixtureTree tree;
    ::chmod(tree.path().c_str(), 0755);
    tree.makeFolder("open");
    tree.makeFile("open/a", 1);
    tree.makeFolder("closed");
    tree.makeFile("closed/secret", 100);
    ::chmod(tree.pathOf("closed").c_str(), 0);

    const int status = test::RunUnprivileged([&] {
        PosixFileSystem fileSystem;
        const std::vector<std::string> expected{"/closed/", "/open/", "/open/a 1"};
        return sortedWalk(fileSystem, tree.path()) == expected
            && listAll(*fileSystem.openFolder(tree.pathOf("closed"))).empty();
    });
    ::chmod(tree.pathOf("closed").c_str(), 0755);
    EXPECT_EQ(status, 0);
}

TEST(PosixFileSystem, KernelInterfaceMountsAreListedButNotEntered)
{
    struct stat proc;
    if (::stat("/proc/self", &proc) != 0)
        GTEST_SKIP() << "no /proc here";
    PosixFileSystem fileSystem;
    auto top = fileSystem.openFolder("/");
    FolderItem item;
    bool found = false;
    while (!found && top->next(item))
        found = item.name == "proc";
    ASSERT_TRUE(found);
    EXPECT_TRUE(item.attributes & Attribute::Directory);
    EXPECT_TRUE(listAll(*top->openItem()).empty());

    // Named as the analysed folder, such a mount is read: the user asked for it.
    EXPECT_FALSE(listAll(*fileSystem.openFolder("/proc")).empty());
}

TEST(PosixFileSystem, RecordsCarryIdentityAndOneFileSystemStaysOffOtherDevices)
{
    FixtureTree tree;
    tree.makeFile("f", 10);
    ASSERT_EQ(::link(tree.pathOf("f").c_str(), tree.pathOf("g").c_str()), 0);
    tree.makeFolder("sub");
    tree.makeFolder("mnt");
    if (::mount("tallyvane-test", tree.pathOf("mnt").c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{tree.pathOf("mnt")};
    tree.makeFolder("mnt/in");
    tree.makeFile("mnt/in/big", 5000);

    for (const unsigned threads : {1u, 4u}) {
        SCOPED_TRACE(threads);
        PosixFileSystem fileSystem({.threads = threads});
        std::map<std::string, FolderItem> items;
        auto top = fileSystem.openFolder(tree.path());
        FolderItem item;
        while (top->next(item))
            items[std::string(item.name)] = item;
        EXPECT_EQ(items["f"].links, 2u);
        EXPECT_EQ(items["f"].inode, items["g"].inode);
        EXPECT_EQ(items["f"].device, items["g"].device);
        EXPECT_EQ(items["sub"].device, items["f"].device);
        EXPECT_NE(items["mnt"].device, items["f"].device);
        EXPECT_EQ(fileSystem.volumeOf(tree.pathOf("mnt")).device, items["mnt"].device);

        EXPECT_EQ(sortedWalk(fileSystem, tree.path()),
                  (std::vector<std::string>{"/f 10", "/g 10", "/mnt/", "/mnt/in/", "/mnt/in/big 5000", "/sub/"}));
        std::vector<std::string> paths;
        walk(*fileSystem.openFolder(tree.path(), {.oneFileSystem = true}), "", paths);
        std::sort(paths.begin(), paths.end());
        EXPECT_EQ(paths, (std::vector<std::string>{"/f 10", "/g 10", "/mnt/", "/sub/"}));
    }
}

TEST(PosixFileSystem, VolumeOfAFolderTellsWhetherItIsTheTopOfItsFileSystem)
{
    FixtureTree tree;
    tree.makeFolder("mnt");
    tree.makeFolder("plain");
    PosixFileSystem fileSystem;
    EXPECT_FALSE(fileSystem.volumeOf(tree.pathOf("plain")).fileSystemRoot);
    EXPECT_NE(fileSystem.volumeOf(tree.pathOf("plain")).device, 0u);
    EXPECT_TRUE(fileSystem.volumeOf("/").fileSystemRoot);
    const FolderVolume missing = fileSystem.volumeOf(tree.pathOf("missing"));
    EXPECT_EQ(missing.device, 0u);
    EXPECT_FALSE(missing.fileSystemRoot);
    EXPECT_EQ(missing.usedInodes, 0u);

    if (::mount("tallyvane-test", tree.pathOf("mnt").c_str(), "tmpfs", 0, "size=1m,nr_inodes=100") != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{tree.pathOf("mnt")};
    tree.makeFile("mnt/a", 1);
    tree.makeFile("mnt/b", 1);
    const FolderVolume mounted = fileSystem.volumeOf(tree.pathOf("mnt") + "/");
    EXPECT_TRUE(mounted.fileSystemRoot);
    EXPECT_EQ(mounted.usedInodes, 3u); // its top and two files
}

TEST(PosixFileSystem, BindMountLoopReadsAsEmpty)
{
    FixtureTree tree;
    tree.makeFolder("loop");
    tree.makeFile("data", 42);
    if (::mount(tree.path().c_str(), tree.pathOf("loop").c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "bind mounts are not permitted here";
    PosixFileSystem fileSystem;
    const auto paths = sortedWalk(fileSystem, tree.path());
    ::umount(tree.pathOf("loop").c_str());
    const std::vector<std::string> expected{"/data 42", "/loop/"};
    EXPECT_EQ(paths, expected);
}

TEST(PosixFileSystem, FoldersBeyondTheDescriptorBudgetAreReopenedByName)
{
    // Every level holds a file, a short chain of folders and the next level. Whichever of the
    // two folders the system lists first, reading it goes deeper than the budget, so the second
    // has to be opened below a level that gave up its descriptor.
    FixtureTree tree;
    std::string level;
    std::vector<std::string> expected;
    for (int depth = 0; depth < 12; ++depth) {
        const std::string prefix = level.empty() ? "" : level + "/";
        tree.makeFile(prefix + "f", depth + 1);
        expected.push_back("/" + prefix + "f " + std::to_string(depth + 1));
        std::string chain = prefix + "chain";
        for (int link = 0; link < 5; ++link, chain += "/c") {
            tree.makeFolder(chain);
            expected.push_back("/" + chain + "/");
        }
        tree.makeFile(chain, 1000 + depth);
        expected.push_back("/" + chain + " " + std::to_string(1000 + depth));
        tree.makeFolder(prefix + "next");
        expected.push_back("/" + prefix + "next/");
        level = prefix + "next";
    }
    std::sort(expected.begin(), expected.end());

    PosixFileSystem tight({.threads = 1, .descriptorBudget = 3});
    EXPECT_EQ(sortedWalk(tight, tree.path()), expected);
}

} // namespace
} // namespace tallyvane
