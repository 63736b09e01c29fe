// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"
#include "platform/ReadAheadFolder.h"
#include "platform/RecordBlock.h"

#include <cstddef>
#include <memory>
#include <utility>

namespace tallyvane {

class ReadAheadSession;

// The scan's view of one folder: the records of the blocks it takes from the folder in turn.
class ReadAheadListing final : public FolderListing {
public:
    ReadAheadListing(std::shared_ptr<ReadAheadSession> session, std::unique_ptr<ReadAheadFolder> folder)
        : m_session(std::move(session)), m_folder(std::move(folder))
    {
    }
    ~ReadAheadListing() override;

    bool next(FolderItem& item) override;
    std::unique_ptr<FolderListing> openItem() override;

private:
    std::shared_ptr<ReadAheadSession> m_session;
    std::unique_ptr<ReadAheadFolder> m_folder;
    RecordBlock m_block;
    std::size_t m_offset = 0;
    bool m_lastIsFolder = false;
    std::size_t m_skippedFolders = 0; // folder records delivered and not opened since the last one opened
};

} // namespace tallyvane
