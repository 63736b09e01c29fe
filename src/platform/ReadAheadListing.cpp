// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadAheadListing.h"

#include "platform/EmptyListing.h"
#include "platform/ReadAheadSession.h"

#include <cstring>
#include <string_view>
#include <utility>

namespace tallyvane {

ReadAheadListing::~ReadAheadListing()
{
    m_session->leave(std::move(m_folder), m_block.count);
}

bool ReadAheadListing::next(FolderItem& item)
{
    if (m_lastIsFolder)
        ++m_skippedFolders;
    for (;;) {
        if (m_offset < m_block.used) {
            const char* record = m_block.bytes.get() + m_offset;
            RecordHead head;
            std::memcpy(&head, record, sizeof head);
            m_offset += footprint(head.nameLength);
            item.attributes = head.attributes;
            item.size = head.size;
            item.name = std::string_view(record + sizeof head, head.nameLength);
            item.device = head.device;
            item.inode = head.inode;
            item.links = head.links;
            m_lastIsFolder = head.folder;
            return true;
        }
        m_lastIsFolder = false;
        if (!m_session->nextBlock(*m_folder, m_block))
            return false;
        m_offset = 0;
    }
}

std::unique_ptr<FolderListing> ReadAheadListing::openItem()
{
    if (!m_lastIsFolder)
        return std::make_unique<EmptyListing>();
    m_lastIsFolder = false;
    return m_session->descend(*m_folder, std::exchange(m_skippedFolders, 0));
}

} // namespace tallyvane
