// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WorkList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

// The names on a list, first to last, with the links back checked on the way.
std::string namesOn(const WorkList& list)
{
    std::string names;
    const ReadAheadFolder* previous = nullptr;
    for (const ReadAheadFolder* folder = list.first(); folder; previous = folder, folder = folder->nextWork) {
        EXPECT_TRUE(list.holds(folder));
        EXPECT_EQ(folder->previousWork, previous) << folder->name;
        names += folder->name;
    }
    return names;
}

class WorkListFolders : public ::testing::Test {
protected:
    ReadAheadFolder* folder(const char* name, ReadAheadFolder* parent = nullptr)
    {
        m_folders.push_back(ReadAheadFolder::make(parent ? parent : m_top.get(), name, {}));
        return m_folders.back().get();
    }

    std::unique_ptr<ReadAheadFolder> m_top = ReadAheadFolder::make(nullptr, "/", {});
    std::vector<std::unique_ptr<ReadAheadFolder>> m_folders;
};

TEST_F(WorkListFolders, InsertsWhereAskedAndRemovesFromAnyPlace)
{
    WorkList list;
    ReadAheadFolder* a = folder("a");
    ReadAheadFolder* b = folder("b");
    ReadAheadFolder* c = folder("c");
    ReadAheadFolder* d = folder("d");
    ReadAheadFolder* e = folder("e");
    list.pushBack(c);
    list.insertAfter(nullptr, a); // at the front
    list.insertAfter(a, b);
    list.pushBack(e);
    list.insertAfter(c, d);
    EXPECT_EQ(namesOn(list), "abcde");

    list.remove(c);
    EXPECT_EQ(namesOn(list), "abde");
    EXPECT_FALSE(list.holds(c));
    list.remove(a);
    list.remove(e);
    EXPECT_EQ(namesOn(list), "bd");
    list.pushBack(a); // after the new last
    list.insertAfter(nullptr, e);
    EXPECT_EQ(namesOn(list), "ebda");
    list.remove(e);
    list.remove(b);
    list.remove(d);
    list.remove(a);
    EXPECT_EQ(list.first(), nullptr);
    list.pushBack(c);
    EXPECT_EQ(namesOn(list), "c");
}

TEST_F(WorkListFolders, RemovesOnlyItsOwnFolders)
{
    WorkList pending;
    WorkList partial;
    ReadAheadFolder* a = folder("a");
    ReadAheadFolder* b = folder("b");
    pending.pushBack(a);
    partial.pushBack(b);
    pending.remove(b);
    partial.remove(a);
    EXPECT_EQ(namesOn(pending), "a");
    EXPECT_EQ(namesOn(partial), "b");
    EXPECT_FALSE(pending.holds(b));
}

// The parent queues its next children after its last queued child while that one waits; once it
// is taken, they go to the front.
TEST_F(WorkListFolders, AChildTakenOffIsNoLongerItsParentsLastQueued)
{
    WorkList list;
    ReadAheadFolder* parent = folder("p");
    ReadAheadFolder* first = folder("1", parent);
    ReadAheadFolder* second = folder("2", parent);
    list.pushBack(first);
    list.pushBack(second);
    parent->lastQueuedChild = second;
    list.remove(first);
    EXPECT_EQ(parent->lastQueuedChild, second);
    list.remove(second);
    EXPECT_EQ(parent->lastQueuedChild, nullptr);
}

} // namespace
} // namespace tallyvane
