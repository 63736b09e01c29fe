// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeFileSystem.h"

namespace tallyvane::test {

class FakeFileSystem::Listing final : public FolderListing {
public:
    Listing(FakeFileSystem& system, std::string path) : m_system(system), m_path(std::move(path))
    {
        m_system.m_mostOpen = std::max(m_system.m_mostOpen, ++m_system.m_open);
        if (auto it = m_system.openErrors.find(m_path); it != m_system.openErrors.end())
            m_error = it->second;
        else if (auto it = m_system.m_folders.find(m_path); it != m_system.m_folders.end())
            m_items = &it->second;
    }
    ~Listing() override { --m_system.m_open; }

    bool next(FolderItem& item) override
    {
        if (!m_items || m_next >= m_items->size())
            return false;
        const Item& record = (*m_items)[m_next++];
        if (m_system.beforeRecord)
            m_system.beforeRecord(m_path, record.name);
        item = {record.attributes, record.size, record.name, record.device, record.inode, record.links};
        return true;
    }

    std::unique_ptr<FolderListing> openItem() override
    {
        return std::make_unique<Listing>(m_system, m_path + (*m_items)[m_next - 1].name + "/");
    }

    int openError() const override { return m_error; }

private:
    FakeFileSystem& m_system;
    std::string m_path;
    const std::vector<Item>* m_items = nullptr;
    std::size_t m_next = 0;
    int m_error = 0;
};

void FakeFileSystem::addFolder(const std::string& path, std::vector<Item> items)
{
    items.insert(items.begin(), {{".", Attribute::Directory, 0}, {"..", Attribute::Directory, 0}});
    m_folders[path] = std::move(items);
}

std::unique_ptr<FolderListing> FakeFileSystem::openFolder(const std::string& path, const ListingOptions& options)
{
    lastOptions = options;
    return std::make_unique<Listing>(*this, path);
}

FolderVolume FakeFileSystem::volumeOf(const std::string&)
{
    return volume;
}

bool FakeFileSystem::isFolder(const std::string& path)
{
    return m_folders.contains(path) || m_folders.contains(path + "/");
}

bool FakeFileSystem::exists(const std::string& path)
{
    return isFolder(path);
}

} // namespace tallyvane::test
