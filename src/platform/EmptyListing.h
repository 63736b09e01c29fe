// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <memory>

namespace tallyvane {

// The listing of a folder that cannot be read (error: its errno) or must not be entered (0).
class EmptyListing final : public FolderListing {
public:
    explicit EmptyListing(int error = 0) : m_error(error) {}
    bool next(FolderItem&) override { return false; }
    std::unique_ptr<FolderListing> openItem() override { return std::make_unique<EmptyListing>(); }
    int openError() const override { return m_error; }

private:
    const int m_error;
};

} // namespace tallyvane
