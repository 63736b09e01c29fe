// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WorkList.h"

namespace tallyvane {

void WorkList::insertAfter(ReadAheadFolder* position, ReadAheadFolder* folder)
{
    folder->list = this;
    folder->previousWork = position;
    folder->nextWork = position ? position->nextWork : m_first;
    (folder->nextWork ? folder->nextWork->previousWork : m_last) = folder;
    (position ? position->nextWork : m_first) = folder;
}

void WorkList::remove(ReadAheadFolder* folder)
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

} // namespace tallyvane
