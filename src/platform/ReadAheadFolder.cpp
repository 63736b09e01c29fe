// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadAheadFolder.h"

namespace tallyvane {

void freeFolders(std::unique_ptr<ReadAheadFolder> top)
{
    for (ReadAheadFolder* folder = sweep(*top); folder;) {
        ReadAheadFolder* next = folder->swept;
        // On the chain: freed in its turn.
        folder->children.forEach([](std::unique_ptr<ReadAheadFolder>& child) { static_cast<void>(child.release()); });
        if (folder == top.get())
            top.reset();
        else
            delete folder;
        folder = next;
    }
}

} // namespace tallyvane
