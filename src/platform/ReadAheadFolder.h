// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileDescriptor.h"
#include "platform/FileId.h"
#include "platform/InlineQueue.h"
#include "platform/RecordBlock.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

namespace tallyvane {

class WorkList;

enum class FolderStage { Pending, Opening, Listing, Listed };
enum class FolderOwner { None, Worker, Scan };

// A folder of a scan that reads ahead, from the moment its record is listed until the scan
// leaves it. The fields other than the name and the parent are guarded by the session's mutex,
// except that whoever owns the folder reads its descriptor and writes fd and id while opening it.
struct ReadAheadFolder {
    // The folder and its name take one allocation: the scan frees what the workers allocate.
    static std::unique_ptr<ReadAheadFolder> make(ReadAheadFolder* parent, std::string_view name, FileId id)
    {
        void* memory = ::operator new(sizeof(ReadAheadFolder) + name.size() + 1);
        char* text = static_cast<char*>(memory) + sizeof(ReadAheadFolder);
        std::memcpy(text, name.data(), name.size());
        text[name.size()] = 0;
        return std::unique_ptr<ReadAheadFolder>(new (memory) ReadAheadFolder(parent, text, id));
    }
    static void operator delete(void* memory) { ::operator delete(memory); }

    ReadAheadFolder* const parent;
    const char* const name;  // in its parent; for the analysed folder, the path it was opened by
    FileId id;               // zero until known
    const std::size_t depth; // below the analysed folder

    FolderStage stage = FolderStage::Pending;
    FolderOwner owner = FolderOwner::None;
    bool unusable = false;     // could not be opened, or must not be entered
    int openError = 0;         // why it could not be opened (errno); 0 when it must not be entered
    bool fillsBuffer = false;  // its file system's fillsListingBuffer, set as it is opened
    bool finishWanted = false; // the scan reads the rest itself and closes it
    std::atomic<bool> abandoned{false};
    FileDescriptor fd;
    // A descriptor of a folder the scan finished below this one, `upLevels` levels down:
    // going up from it by ".." reopens this folder in one call.
    FileDescriptor up;
    unsigned upLevels = 0;
    InlineQueue<RecordBlock, 1> blocks;                        // listed, not yet delivered
    InlineQueue<std::unique_ptr<ReadAheadFolder>, 2> children; // one per folder record, not yet entered
    std::size_t openingChildren = 0;                           // being opened with this folder's descriptor
    std::size_t pendingChildren = 0;                           // not opened yet: they need this folder's descriptor
    ReadAheadFolder* lastQueuedChild = nullptr;

    WorkList* list = nullptr;
    ReadAheadFolder* previousWork = nullptr;
    ReadAheadFolder* nextWork = nullptr;
    // Chains a subtree of folders while the scan gives it up or frees it: that needs no memory,
    // so it cannot fail while a failure unwinds the scan.
    ReadAheadFolder* swept = nullptr;

private:
    ReadAheadFolder(ReadAheadFolder* parent, const char* name, FileId id) noexcept
        : parent(parent), name(name), id(id), depth(parent ? parent->depth + 1 : 0)
    {
    }
};

// Chains top and the folders read ahead below it through `swept`, top first.
inline ReadAheadFolder* sweep(ReadAheadFolder& top)
{
    top.swept = nullptr;
    ReadAheadFolder* last = &top;
    for (ReadAheadFolder* folder = &top; folder; folder = folder->swept) {
        folder->children.forEach([&last](std::unique_ptr<ReadAheadFolder>& child) {
            child->swept = nullptr;
            last->swept = child.get();
            last = child.get();
        });
    }
    return &top;
}

// Frees a tree of folders without recursing, however deep the read-ahead went, and without
// allocating.
void freeFolders(std::unique_ptr<ReadAheadFolder> top);

} // namespace tallyvane
