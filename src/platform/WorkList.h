// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ReadAheadFolder.h"

namespace tallyvane {

// Folders waiting for a worker, linked through the folders themselves so that any of them
// leaves the list in constant time. A folder is on one list at most.
class WorkList {
public:
    ReadAheadFolder* first() const { return m_first; }
    // position null: at the front
    void insertAfter(ReadAheadFolder* position, ReadAheadFolder* folder)
    {
        folder->list = this;
        folder->previousWork = position;
        folder->nextWork = position ? position->nextWork : m_first;
        (folder->nextWork ? folder->nextWork->previousWork : m_last) = folder;
        (position ? position->nextWork : m_first) = folder;
    }
    void pushBack(ReadAheadFolder* folder) { insertAfter(m_last, folder); }
    // Nothing when the folder is not on this list. A folder that leaves it is no longer its
    // parent's last queued child: the parent's next children go to the front.
    void remove(ReadAheadFolder* folder)
    {
        if (folder->list != this)
            return;
        if (folder->parent && folder->parent->lastQueuedChild == folder)
            folder->parent->lastQueuedChild = nullptr;
        (folder->previousWork ? folder->previousWork->nextWork : m_first) = folder->nextWork;
        (folder->nextWork ? folder->nextWork->previousWork : m_last) = folder->previousWork;
        folder->list = nullptr;
        folder->previousWork = folder->nextWork = nullptr;
    }
    bool holds(const ReadAheadFolder* folder) const { return folder->list == this; }

private:
    ReadAheadFolder* m_first = nullptr;
    ReadAheadFolder* m_last = nullptr;
};

} // namespace tallyvane
