// SPDX-License-Identifier: GPL-3.0-or-later
#include "GridFixture.h" // failures print texts readably

#include "views/PropertiesDialog.h"

#include "platform/FileAttributes.h"
#include "platform/FileFacts.h"
#include "presentation/SizeText.h"
#include "support/FixtureTree.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <map>

namespace tallyvane {
namespace {

using test::FixtureTree;

// On disk: report.txt (5 GiB, sparse), docs/ (empty), link -> report.txt.
// In the tree: the fixture's top with report.txt and link (both with sizes the disk no longer
// agrees with), gone.txt (never on disk), and docs/ holding three files and two folders.
class PropertiesDialogTest : public testing::Test {
protected:
    PropertiesDialogTest()
    {
        fixture.makeFile("report.txt", FiveGiB);
        fixture.makeFolder("docs");
        fixture.makeSymlink("link", "report.txt");
        ::chmod(fixture.pathOf("report.txt").c_str(), 0640);

        root = tree.addEntry(NoEntry, Attribute::Directory, 0, fixture.path());
        report = tree.addEntry(root, Attribute::Normal, 1000, "report.txt");
        link = tree.addEntry(root, Attribute::Normal, 999, "link");
        gone = tree.addEntry(root, Attribute::Normal, 100, "gone.txt");
        docs = tree.addEntry(root, Attribute::Directory, 3000, "docs");
        tree.addEntry(docs, Attribute::Normal, 1000, "a");
        const EntryId sub = tree.addEntry(docs, Attribute::Directory, 2000, "sub");
        tree.addEntry(sub, Attribute::Normal, 1500, "b");
        tree.addEntry(sub, Attribute::Directory, 500, "deeper");
        tree.addEntry(sub, Attribute::Normal, 0, "c");
    }

    void setModified(const std::string& relative, const QDateTime& time)
    {
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(time.toSecsSinceEpoch()), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, fixture.pathOf(relative).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    }

    // The value labels by name; the caption labels have none.
    std::map<QString, QString> shown(EntryId entry)
    {
        PropertiesDialog dialog(tree, entry, files);
        // A folder's size on disk is summed while the dialog is open.
        if (const auto* sizeOnDisk = dialog.findChild<QLabel*>(QStringLiteral("sizeOnDisk"))) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return sizeOnDisk->text() != QStringLiteral("正在计算…"); }, 10000));
        }
        std::map<QString, QString> texts;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->objectName().isEmpty())
                continue;
            EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse) << label->objectName().toStdString();
            texts[label->objectName()] = label->text();
        }
        return texts;
    }

    QString ownerOf(const std::string& relative) const
    {
        return QFileInfo(QString::fromStdString(fixture.pathOf(relative))).owner();
    }

    QString groupOf(const std::string& relative) const
    {
        return QFileInfo(QString::fromStdString(fixture.pathOf(relative))).group();
    }

    static constexpr std::int64_t FiveGiB = std::int64_t{5} << 30;
    const QDateTime modified{QDate(2021, 3, 4), QTime(5, 6, 7)}; // local time
    FixtureTree fixture;
    PosixFileFacts files;
    EntryTree tree;
    EntryId root, report, link, gone, docs;
};

TEST_F(PropertiesDialogTest, AFileShowsItsLengthAndWhatItTakesOnDisk)
{
    setModified("report.txt", modified);
    const std::map<QString, QString> expected{
        {"path", QString::fromStdString(fixture.pathOf("report.txt"))},
        {"type", "文件"},
        {"size", "5.0GB (5,368,709,120 字节)"},
        {"sizeOnDisk", "0Byte (0 字节)"},
        {"modified", "2021-03-04 05:06:07"},
        {"owner", ownerOf("report.txt")},
        {"group", groupOf("report.txt")},
        {"permissions", "rw-r-----"},
    };
    EXPECT_EQ(shown(report), expected);
}

std::int64_t allocated(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return static_cast<std::int64_t>(status.st_blocks) * 512;
}

TEST_F(PropertiesDialogTest, AFolderShowsTheAnalysedSizeAndContents)
{
    // On disk now: a (written, so it takes blocks) and sub; b, deeper and c have gone.
    fixture.makeFolder("docs/sub");
    {
        QFile a(QString::fromStdString(fixture.pathOf("docs/a")));
        ASSERT_TRUE(a.open(QIODevice::WriteOnly));
        a.write(QByteArray(10000, 'a'));
    }
    const std::int64_t onDisk = allocated(fixture.pathOf("docs/a")) + allocated(fixture.pathOf("docs/sub"));
    ASSERT_GE(onDisk, 10000);
    ::chmod(fixture.pathOf("docs").c_str(), 0755);
    setModified("docs", modified);
    const std::map<QString, QString> expected{
        {"path", QString::fromStdString(fixture.pathOf("docs"))},
        {"type", "文件夹"},
        {"size", "3KB (3,000 字节)"},
        {"sizeOnDisk",
         QStringLiteral("%1 (%2 字节)")
             .arg(QString::fromStdString(SizeToText(onDisk)), QString::fromStdString(ByteCountText(onDisk)))},
        {"contents", "3 个文件，2 个文件夹"},
        {"modified", "2021-03-04 05:06:07"},
        {"owner", ownerOf("docs")},
        {"group", groupOf("docs")},
        {"permissions", "rwxr-xr-x"},
    };
    EXPECT_EQ(shown(docs), expected);
}

TEST_F(PropertiesDialogTest, ALinkIsShownAsALink)
{
    const std::map<QString, QString> texts = shown(link);
    EXPECT_EQ(texts.at("type"), "符号链接");
    EXPECT_EQ(texts.at("size"), "10Byte (10 字节)");
    EXPECT_EQ(texts.at("permissions"), "rwxrwxrwx");
}

TEST_F(PropertiesDialogTest, AGonePathSaysSoAndShowsWhatTheTreeKnows)
{
    const std::map<QString, QString> expected{
        {"path", QString::fromStdString(fixture.pathOf("gone.txt"))},
        {"state", "已不存在"},
        {"type", "文件"},
        {"size", "100Byte (100 字节)"},
    };
    EXPECT_EQ(shown(gone), expected);

    QDir(QString::fromStdString(fixture.pathOf("docs"))).removeRecursively();
    const std::map<QString, QString> folder = shown(docs);
    EXPECT_EQ(folder.at("state"), "已不存在");
    EXPECT_EQ(folder.at("type"), "文件夹");
    EXPECT_EQ(folder.at("contents"), "3 个文件，2 个文件夹");
    EXPECT_FALSE(folder.contains("modified"));
}

} // namespace
} // namespace tallyvane
