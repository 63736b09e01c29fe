// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileAttributes.h"
#include "platform/FileSystem.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tallyvane::test {

// A file system described in memory: folders by path (ending in "/"), each with its records in
// listing order. It counts the listings open at once, and can fail at a chosen record.
class FakeFileSystem final : public FileSystem {
public:
    struct Item {
        std::string name;
        std::uint32_t attributes;
        std::int64_t size;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint32_t links = 0;
    };

    // Adds a folder with "." and ".." first, as most systems list them.
    void addFolder(const std::string& path, std::vector<Item> items);

    using FileSystem::openFolder;
    std::unique_ptr<FolderListing> openFolder(const std::string& path, const ListingOptions& options) override;
    FolderVolume volumeOf(const std::string& path) override;
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;

    int openListings() const { return m_open; }
    int mostOpenListings() const { return m_mostOpen; }
    // Called before each record is delivered, with the folder's path and the record's name;
    // may throw, as a failing system call would.
    std::function<void(const std::string&, const std::string&)> beforeRecord;
    // What volumeOf answers for every path.
    FolderVolume volume;
    // The options the last scan opened its folder with.
    ListingOptions lastOptions;
    // Folders (paths ending in '/') that fail to open, with the errno their listing tells.
    std::map<std::string, int> openErrors;

private:
    class Listing;
    std::map<std::string, std::vector<Item>> m_folders;
    int m_open = 0;
    int m_mostOpen = 0;
};

inline FakeFileSystem::Item file(std::string name, std::int64_t size)
{
    return {std::move(name), Attribute::Normal, size};
}

inline FakeFileSystem::Item folder(std::string name)
{
    return {std::move(name), Attribute::Directory, 4096};
}

// A file with several links: the record carries its identity.
inline FakeFileSystem::Item linkedFile(std::string name, std::int64_t size, std::uint64_t inode, std::uint32_t links)
{
    return {std::move(name), Attribute::Normal, size, 1, inode, links};
}

// A folder whose record says it lies on the given device.
inline FakeFileSystem::Item folderOn(std::string name, std::uint64_t device)
{
    return {std::move(name), Attribute::Directory, 4096, device, 0, 2};
}

} // namespace tallyvane::test
