// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileNames.h"

#include <gtest/gtest.h>

#include <string>

namespace tallyvane {
namespace {

TEST(FileNamesTest, LocalFileUrlsKeepEveryByteOfThePath)
{
    const std::string paths[] = {
        "/",
        "/tmp/plain",
        "/tmp/\xE6\x96\x87\xE6\xA1\xA3 with blanks/#?%&;",
        "/tmp/broken-\xFF\xFE-\xC3(",
        "/tmp/line\nbreak/\x01control",
    };
    for (const std::string& path : paths) {
        const QUrl url = LocalFileUrl(path);
        EXPECT_TRUE(url.isValid()) << path;
        EXPECT_TRUE(url.isLocalFile()) << path;
        EXPECT_EQ(LocalFilePath(url), path);
        // The text of the URL, as a drop or D-Bus carries it, reads back to the same bytes.
        EXPECT_EQ(LocalFilePath(QUrl(url.toString(QUrl::FullyEncoded))), path);
    }
}

TEST(FileNamesTest, ValidNamesGiveTheUrlQtWouldGive)
{
    const std::string path = "/tmp/\xE6\x96\x87\xE6\xA1\xA3/a b";
    EXPECT_EQ(LocalFileUrl(path), QUrl::fromLocalFile(DecodeFileName(path)));
}

TEST(FileNamesTest, OnlyLocalFileUrlsHaveAPath)
{
    EXPECT_EQ(LocalFilePath(QUrl(QStringLiteral("https://example.org/a"))), std::nullopt);
    EXPECT_EQ(LocalFilePath(QUrl()), std::nullopt);
    EXPECT_EQ(LocalFilePath(QUrl(QStringLiteral("file:///tmp/%FF"))), std::string("/tmp/\xFF"));
}

} // namespace
} // namespace tallyvane
