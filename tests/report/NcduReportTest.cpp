// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/NcduReport.h"

#include "analysis/FolderScan.h"
#include "analysis/NcduImport.h"
#include "platform/FileAttributes.h"
#include "report/RenderReport.h"
#include "support/FolderEntries.h"
#include "support/TreeOutline.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tallyvane {
namespace {

using test::AddFolder;
using test::TreeOutline;

TEST(NcduReport, WritesFormatOnePointTwoWithNamesAsTheirBytes)
{
    EntryTree tree;
    const EntryId root = AddFolder(tree, 27, {{"q\"b\\s/", 1}, {std::string("c\x01\x1f\n\r\t\b\f\x7f\xff", 10), 2}});
    const EntryId sub = tree.addEntry(root, Attribute::Directory, 24, "sub");
    tree.addEntry(sub, Attribute::Normal, 20, "deep");
    tree.addEntry(sub, Attribute::ReparsePoint, 4, "link");
    tree.addEntry(root, Attribute::Directory, 0, "empty");

    StringSink sink;
    ExportNcdu(tree, {"tallyvane", "3.0.5", 1700000000}, sink);
    EXPECT_EQ(sink.text(),
              "[1,2,{\"progname\":\"tallyvane\",\"progver\":\"3.0.5\",\"timestamp\":1700000000},\n"
              "[{\"name\":\"/data\"},\n"
              "{\"name\":\"q\\\"b\\\\s/\",\"asize\":1},\n"
              "{\"name\":\"c\\u0001\\u001f\\n\\r\\t\\b\\f\\u007f\xff\",\"asize\":2},\n"
              "[{\"name\":\"sub\"},\n"
              "{\"name\":\"deep\",\"asize\":20},\n"
              "{\"name\":\"link\",\"asize\":4,\"notreg\":true}],\n"
              "[{\"name\":\"empty\"}]]]\n");
}

// Counts the writes, to show the export goes out in pieces rather than as one text.
class CountingSink final : public ReportSink {
public:
    void write(std::string_view bytes) override
    {
        ++writes;
        largest = std::max(largest, bytes.size());
        text += bytes;
    }
    int writes = 0;
    std::size_t largest = 0;
    std::string text;
};

class TextInput final : public ImportInput {
public:
    explicit TextInput(const std::string& text) : m_text(text) {}
    std::size_t read(char* buffer, std::size_t capacity) override
    {
        const std::size_t n = std::min(capacity, m_text.size() - m_read);
        std::memcpy(buffer, m_text.data() + m_read, n);
        m_read += n;
        return n;
    }

private:
    const std::string& m_text;
    std::size_t m_read = 0;
};

TEST(NcduReport, StreamsThroughRenderReportWithoutLineEndConversionAndReadsBack)
{
    EntryTree tree;
    const EntryId root = AddFolder(tree, 0, {});
    std::int64_t total = 0;
    for (int folder = 0; folder < 50; ++folder) {
        const EntryId sub = tree.addEntry(root, Attribute::Directory, 0, "folder\n" + std::to_string(folder));
        for (int file = 0; file < 200; ++file) {
            tree.addEntry(sub, Attribute::Normal, file, "file\r\n" + std::to_string(file));
            total += file;
        }
        tree.setSize(sub, 199 * 200 / 2);
    }
    tree.setSize(root, total);

    CountingSink sink;
    RenderReport(ReportFormat::Ncdu, DefaultGridReport(), tree, DefaultSeparator, sink);
    EXPECT_GT(sink.writes, 4);
    EXPECT_LT(sink.largest, sink.text.size() / 4);
    EXPECT_EQ(sink.text.find('\r'), std::string::npos);
    EXPECT_TRUE(sink.text.starts_with("[1,2,{\"progname\":\"tallyvane\",\"progver\":\"3.0.5\",\"timestamp\":"));

    EntryTree back;
    TextInput input(sink.text);
    QuietScanHost host;
    ImportNcdu(input, back, host);
    EXPECT_EQ(TreeOutline(back), TreeOutline(tree));
}

TEST(NcduReport, WritesWhatTheScanLeftOutOrCouldNotReadAndTheLinksOfAFileCountedOnce)
{
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Attribute::Directory, 100, "/data");
    tree.addEntry(root, Attribute::Directory | Attribute::Excluded, 0, "cache");
    tree.addEntry(root, Attribute::Normal | Attribute::Excluded, 0, "a.o");
    tree.addEntry(root, Attribute::Directory | Attribute::OtherFileSystem, 0, "mnt");
    tree.addEntry(root, Attribute::Directory | Attribute::Unreadable, 0, "locked");
    const EntryId first = tree.addEntry(root, Attribute::Normal, 100, "f");
    tree.setLinkFacts(first, {2049, 12345678901, 2, 100});
    const EntryId second = tree.addEntry(root, Attribute::Normal | Attribute::LinkCountedElsewhere, 0, "g");
    tree.setLinkFacts(second, {2049, 12345678901, 2, 100});

    StringSink sink;
    ExportNcdu(tree, {"tallyvane", "3.0.5", 1}, sink);
    EXPECT_EQ(sink.text(),
              "[1,2,{\"progname\":\"tallyvane\",\"progver\":\"3.0.5\",\"timestamp\":1},\n"
              "[{\"name\":\"/data\"},\n"
              "[{\"name\":\"cache\",\"excluded\":\"pattern\"}],\n"
              "{\"name\":\"a.o\",\"asize\":0,\"excluded\":\"pattern\"},\n"
              "[{\"name\":\"mnt\",\"excluded\":\"otherfs\"}],\n"
              "[{\"name\":\"locked\",\"read_error\":true}],\n"
              "{\"name\":\"f\",\"asize\":100,\"dev\":2049,\"ino\":12345678901,\"nlink\":2,\"hlnkc\":true},\n"
              "{\"name\":\"g\",\"asize\":100,\"dev\":2049,\"ino\":12345678901,\"nlink\":2,\"hlnkc\":true}]]\n");

    // Read back, the marks of what was left out return.
    TextInput input(sink.text());
    EntryTree back;
    QuietScanHost host;
    ImportNcdu(input, back, host);
    const EntryId top = back.FirstEntry();
    EXPECT_TRUE(back.attributes(back.childAt(top, 0)) & Attribute::Excluded);
    EXPECT_TRUE(back.attributes(back.childAt(top, 1)) & Attribute::Excluded);
    EXPECT_TRUE(back.attributes(back.childAt(top, 2)) & Attribute::OtherFileSystem);
    EXPECT_EQ(back.attributes(back.childAt(top, 3)) & Attribute::ScanMarks, Attribute::Unreadable);
    EXPECT_FALSE(back.attributes(back.childAt(top, 4)) & Attribute::ScanMarks);
}

} // namespace
} // namespace tallyvane
