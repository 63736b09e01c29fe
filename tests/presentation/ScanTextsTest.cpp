// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/ScanTexts.h"
#include "platform/FileAttributes.h"

#include <gtest/gtest.h>

namespace tallyvane {
namespace {

TEST(ScanTexts, ProgressReadsShareAndTimeLeft)
{
    struct Case {
        ScanProgress progress;
        const char* text;
    };
    const Case cases[] = {
        {{37, 12}, "已完成 37%，约剩 12 秒"},        {{0, 1}, "已完成 0%，约剩 1 秒"},
        {{50, 59}, "已完成 50%，约剩 59 秒"},        {{50, 60}, "已完成 50%，约剩 1 分钟"},
        {{50, 125}, "已完成 50%，约剩 2 分钟 5 秒"}, {{99, std::nullopt}, "已完成 99%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScanProgressText(c.progress).toStdString(), c.text);
}

TEST(ScanTexts, EachMarkHasItsReasonAndCountedEntriesNone)
{
    EXPECT_TRUE(ScanMarkText(Attribute::Directory | Attribute::Hidden).isEmpty());
    const QString excluded = ScanMarkText(Attribute::Excluded | Attribute::Directory);
    const QString otherFileSystem = ScanMarkText(Attribute::OtherFileSystem | Attribute::Directory);
    const QString link = ScanMarkText(Attribute::LinkCountedElsewhere);
    const QString unreadable = ScanMarkText(Attribute::Unreadable | Attribute::Directory);
    EXPECT_FALSE(excluded.isEmpty());
    EXPECT_FALSE(otherFileSystem.isEmpty());
    EXPECT_FALSE(link.isEmpty());
    EXPECT_NE(excluded, otherFileSystem);
    EXPECT_NE(otherFileSystem, link);
    EXPECT_FALSE(unreadable.isEmpty());
    for (const QString& other : {excluded, otherFileSystem, link})
        EXPECT_NE(unreadable, other);
}

} // namespace
} // namespace tallyvane
