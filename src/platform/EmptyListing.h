// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <memory>

namespace tallyvane {

// The listing of a folder that cannot be read or must not be entered.
class EmptyListing final : public FolderListing {
public:
    bool next(FolderItem&) override { return false; }
    std::unique_ptr<FolderListing> openItem() override { return std::make_unique<EmptyListing>(); }
};

} // namespace tallyvane
