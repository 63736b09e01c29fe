// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntryRecord.h"
#include "analysis/EntryTree.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <string>

namespace tallyvane {
namespace {

using RecordBytes = std::array<unsigned char, sizeof(TEntryRecord)>;

RecordBytes bytesOf(const TEntryRecord& record)
{
    RecordBytes bytes;
    std::memcpy(bytes.data(), &record, bytes.size());
    return bytes;
}

bool sameBytes(const TEntryRecord& first, const TEntryRecord& second)
{
    return std::memcmp(&first, &second, sizeof(TEntryRecord)) == 0;
}

std::uint32_t wordAt(const RecordBytes& bytes, std::size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16
        | std::uint32_t{bytes[offset + 3]} << 24;
}

TEST(EntrySizeTest, CombinesTheTwoWordsHighFirst)
{
    EXPECT_EQ(EntrySize(1, 0), 4294967296);
    EXPECT_EQ(EntrySize(0, 5), 5);
    EXPECT_EQ(EntrySize(1, 1073741824), std::int64_t{5} << 30);
    EXPECT_EQ(EntrySize(0, 0xFFFFFFFFu), 4294967295);
    // The high word's top bit is the sign of the 64-bit size.
    EXPECT_EQ(EntrySize(0x7FFFFFFFu, 0xFFFFFFFFu), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(EntrySize(0xFFFFFFFFu, 0xFFFFFFFFu), -1);
}

TEST(EntryRecordTest, FieldsLandAtTheirByteOffsetsAndTheRestIsZero)
{
    const RecordBytes bytes = bytesOf(MakeEntryRecord(Attribute::Directory, 5368709120, "Data"));

    EXPECT_EQ(wordAt(bytes, 0), Attribute::Directory);
    EXPECT_EQ(wordAt(bytes, 28), 1u) << "size high word";
    EXPECT_EQ(wordAt(bytes, 32), 1073741824u) << "size low word";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[44])), "Data");

    RecordBytes expected{};
    std::memcpy(&expected[0], &bytes[0], 4);
    std::memcpy(&expected[28], &bytes[28], 8);
    std::memcpy(&expected[44], "Data", 4);
    EXPECT_EQ(bytes, expected) << "times, reserved words, alternate name and padding stay zero";
}

TEST(EntryRecordTest, SizeAndNameRoundTrip)
{
    for (const std::int64_t size : {std::int64_t{0}, std::int64_t{5}, std::int64_t{4294967296},
                                    std::int64_t{5368709120}, std::int64_t{-1}}) {
        const TEntryRecord record = MakeEntryRecord(0, size, "a.txt");
        EXPECT_EQ(EntrySize(record.sizeHigh, record.sizeLow), size);
        EXPECT_EQ(RecordName(record), "a.txt");
    }
}

TEST(EntryRecordTest, NameIsCutToTheFieldLeavingItsTerminator)
{
    EXPECT_EQ(RecordNameCapacity, 259u);
    const std::string fits(259, 'n');
    EXPECT_EQ(RecordName(MakeEntryRecord(0, 0, fits)), fits);

    const std::string tooLong = std::string(259, 'x') + "yz";
    const TEntryRecord record = MakeEntryRecord(0, 0, tooLong);
    EXPECT_EQ(RecordName(record), std::string(259, 'x'));
    EXPECT_EQ(record.name[259], '\0');
    EXPECT_EQ(bytesOf(record)[304], 0) << "the cut name must not spill into the next field";
}

TEST(EntryRecordTest, NameBytesAreKeptUnchanged)
{
    const std::string bytes = "caf\xC3\xA9 \xFF\xFE";
    EXPECT_EQ(RecordName(MakeEntryRecord(0, 0, bytes)), bytes);
}

TEST(EntryRecordTest, RecordNameOfAFieldWithoutZeroIsTheWholeField)
{
    TEntryRecord record{};
    std::memset(record.name, 'q', sizeof record.name);
    EXPECT_EQ(RecordName(record), std::string(260, 'q'));
}

TEST(EntryRecordTest, TreeRecordEqualsTheRecordOfTheSameFieldsByteForByte)
{
    EntryTree tree;
    const std::string longName(300, 'L');
    const EntryId root = tree.addEntry(NoEntry, Attribute::Directory, 5368709120, "/home/ann");
    const EntryId file = tree.addEntry(root, Attribute::Hidden, 42, ".profile");
    const EntryId longer = tree.addEntry(root, Attribute::Normal, -7, longName);
    const EntryId blank = tree.AddEntry(root);

    struct Fields {
        EntryId entry;
        std::uint32_t attributes;
        std::int64_t size;
        std::string name;
    };
    for (const Fields& f : {Fields{root, Attribute::Directory, 5368709120, "/home/ann"},
                            Fields{file, Attribute::Hidden, 42, ".profile"},
                            Fields{longer, Attribute::Normal, -7, longName},
                            Fields{blank, 0, 0, ""}}) {
        const std::optional<TEntryRecord> fromTree = tree.EntryRecord(f.entry);
        ASSERT_TRUE(fromTree.has_value());
        const TEntryRecord made = MakeEntryRecord(f.attributes, f.size, f.name);
        EXPECT_TRUE(sameBytes(*fromTree, made)) << f.name;
    }

    const TEntryRecord zero{};
    EXPECT_TRUE(sameBytes(*tree.EntryRecord(blank), zero)) << "a new entry's record is all zero bytes";
    EXPECT_FALSE(tree.EntryRecord(NoEntry).has_value());
}

TEST(EntryRecordTest, SetEntryRecordTakesAttributesSizeAndName)
{
    EntryTree tree;
    const EntryId entry = tree.AddEntry(NoEntry);
    tree.SetEntryRecord(entry, MakeEntryRecord(Attribute::Directory, 5368709120, "C"));

    EXPECT_TRUE(tree.isFolder(entry));
    EXPECT_EQ(tree.size(entry), 5368709120);
    EXPECT_EQ(tree.name(entry), "C");
    const TEntryRecord expected = MakeEntryRecord(Attribute::Directory, 5368709120, "C");
    EXPECT_TRUE(sameBytes(*tree.EntryRecord(entry), expected));
}

} // namespace
} // namespace tallyvane
