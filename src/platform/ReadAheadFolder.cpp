// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadAheadFolder.h"

#include <cstring>
#include <new>

namespace tallyvane {

std::unique_ptr<ReadAheadFolder> ReadAheadFolder::make(ReadAheadFolder* parent, std::string_view name, FileId id)
{
    void* memory = ::operator new(sizeof(ReadAheadFolder) + name.size() + 1);
    char* text = static_cast<char*>(memory) + sizeof(ReadAheadFolder);
    std::memcpy(text, name.data(), name.size());
    text[name.size()] = 0;
    return std::unique_ptr<ReadAheadFolder>(new (memory) ReadAheadFolder(parent, text, id));
}

ReadAheadFolder* sweep(ReadAheadFolder& top)
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
