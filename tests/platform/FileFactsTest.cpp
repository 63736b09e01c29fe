// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileFacts.h"
#include "support/FixtureTree.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallyvane {
namespace {

using test::FixtureTree;

constexpr std::int64_t GiB = std::int64_t{1} << 30;

void writeFile(const std::string& path, const QByteArray& content)
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
}

// data.bin (10 bytes), folder/, link -> folder, dangling -> nowhere, sparse (5 GiB, nothing
// written)
class FileFactsTest : public testing::Test {
protected:
    FileFactsTest()
    {
        writeFile(fixture.pathOf("data.bin"), "0123456789");
        fixture.makeFolder("folder");
        fixture.makeSymlink("link", "folder");
        fixture.makeSymlink("dangling", "nowhere");
        fixture.makeFile("sparse", 5 * GiB);
    }

    FileFacts factsOf(const std::string& relative)
    {
        const std::optional<FileFacts> facts = source.factsOf(fixture.pathOf(relative));
        if (!facts)
            ADD_FAILURE() << "no facts for " << relative;
        return facts.value_or(FileFacts{});
    }

    FixtureTree fixture;
    PosixFileFacts source;
};

TEST_F(FileFactsTest, TellsAFileFromAFolder)
{
    const FileFacts file = factsOf("data.bin");
    EXPECT_EQ(file.kind, FileKind::File);
    EXPECT_EQ(file.size, 10);
    EXPECT_GT(file.sizeOnDisk, 0);
    EXPECT_EQ(file.sizeOnDisk % 512, 0);

    EXPECT_EQ(factsOf("folder").kind, FileKind::Folder);
}

TEST_F(FileFactsTest, DescribesALinkItselfNotItsTarget)
{
    const FileFacts link = factsOf("link");
    EXPECT_EQ(link.kind, FileKind::Symlink);
    EXPECT_EQ(link.size, static_cast<std::int64_t>(std::string("folder").size()));
    EXPECT_EQ(link.permissions, "rwxrwxrwx");
    // A link whose target is gone is still there.
    EXPECT_EQ(factsOf("dangling").kind, FileKind::Symlink);
}

TEST_F(FileFactsTest, ASparseFilesLengthIsNotWhatItTakesOnDisk)
{
    const FileFacts sparse = factsOf("sparse");
    EXPECT_EQ(sparse.size, 5 * GiB);
    EXPECT_LT(sparse.sizeOnDisk, 1 << 20);
}

TEST_F(FileFactsTest, OtherKindsAreNamed)
{
    ASSERT_EQ(::mkfifo(fixture.pathOf("pipe").c_str(), 0600), 0);
    EXPECT_EQ(factsOf("pipe").kind, FileKind::Fifo);
    EXPECT_EQ(factsOf("pipe").permissions, "rw-------");
}

TEST_F(FileFactsTest, NothingThereGivesNoFacts)
{
    EXPECT_FALSE(source.factsOf(fixture.pathOf("missing")));
    EXPECT_FALSE(source.factsOf(fixture.pathOf("data.bin/child")));
    EXPECT_FALSE(source.factsOf(""));
}

TEST_F(FileFactsTest, TakesTheModificationTimeToTheNanosecond)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {1'600'000'000, 123'456'789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, fixture.pathOf("data.bin").c_str(), times, 0), 0);
    const auto since = factsOf("data.bin").modified.time_since_epoch();
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::nanoseconds>(since).count(), 1'600'000'000'123'456'789);
}

TEST_F(FileFactsTest, NamesOwnerAndGroup)
{
    const FileFacts file = factsOf("data.bin");
    const QFileInfo info(QString::fromStdString(fixture.pathOf("data.bin")));
    EXPECT_EQ(QString::fromStdString(file.owner), info.owner());
    EXPECT_EQ(QString::fromStdString(file.group), info.group());
    EXPECT_FALSE(file.owner.empty());
}

TEST_F(FileFactsTest, AnOwnerWithoutANameIsGivenByNumber)
{
    constexpr uid_t Nobody = 54321;
    constexpr gid_t NoGroup = 54322;
    if (::getuid() != 0)
        GTEST_SKIP() << "only root can give a file away";
    if (::getpwuid(Nobody))
        GTEST_SKIP() << "user " << Nobody << " has a name here";
    ASSERT_EQ(::lchown(fixture.pathOf("data.bin").c_str(), Nobody, NoGroup), 0);
    const FileFacts file = factsOf("data.bin");
    EXPECT_EQ(file.owner, "54321");
    EXPECT_EQ(file.group, "54322");
}

TEST_F(FileFactsTest, ReadsThePermissionsOfThePath)
{
    ASSERT_EQ(::chmod(fixture.pathOf("data.bin").c_str(), 04750), 0);
    EXPECT_EQ(factsOf("data.bin").permissions, "rwsr-x---");
}

struct ModeCase {
    unsigned mode;
    const char* text;
};

void PrintTo(const ModeCase& c, std::ostream* out)
{
    *out << std::oct << c.mode << std::dec;
}

class PermissionTextTest : public testing::TestWithParam<ModeCase> {};

TEST_P(PermissionTextTest, ShowsEveryBitInItsPlace)
{
    EXPECT_EQ(PermissionText(GetParam().mode), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Modes, PermissionTextTest,
                         testing::Values(ModeCase{0644, "rw-r--r--"}, ModeCase{0755, "rwxr-xr-x"},
                                         ModeCase{0000, "---------"}, ModeCase{0777, "rwxrwxrwx"},
                                         ModeCase{04755, "rwsr-xr-x"}, ModeCase{04644, "rwSr--r--"},
                                         ModeCase{02755, "rwxr-sr-x"}, ModeCase{02745, "rwxr-Sr-x"},
                                         ModeCase{01777, "rwxrwxrwt"}, ModeCase{01776, "rwxrwxrwT"},
                                         // The type bits above do not show.
                                         ModeCase{S_IFDIR | 0750, "rwxr-x---"}));

} // namespace
} // namespace tallyvane
