// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/NcduImport.h"

#include "support/TreeOutline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace tallyvane {
namespace {

using test::TreeOutline;

// The bytes of a string handed over a few at a time, so every token meets a block boundary.
class StringInput final : public ImportInput {
public:
    explicit StringInput(std::string text, std::size_t blockSize = 7) : m_text(std::move(text)), m_blockSize(blockSize)
    {
    }
    std::size_t read(char* buffer, std::size_t capacity) override
    {
        const std::size_t n = std::min({capacity, m_blockSize, m_text.size() - m_read});
        std::memcpy(buffer, m_text.data() + m_read, n);
        m_read += n;
        return n;
    }

private:
    std::string m_text;
    std::size_t m_blockSize;
    std::size_t m_read = 0;
};

// Counts what the import reports and asks it to stop after a number of entries.
class RecordingHost final : public ScanHost {
public:
    explicit RecordingHost(std::uint32_t stopAfter = UINT32_MAX) : m_stopAfter(stopAfter) {}
    void recordFetched() override { ++pumps; }
    bool stopRequested() const override { return counted >= m_stopAfter; }
    void folderEntered(const EntryTree&, EntryId) override { ++folders; }
    void entryCounted(std::uint32_t count) override { counted = count; }
    void scanFinished() override { ++finished; }

    int pumps = 0;
    int folders = 0;
    std::uint32_t counted = 0;
    int finished = 0;

private:
    std::uint32_t m_stopAfter;
};

struct Imported {
    ImportedScan scan;
    std::string outline;
};

Imported import(const std::string& text)
{
    EntryTree tree;
    StringInput input(text);
    RecordingHost host;
    Imported imported;
    imported.scan = ImportNcdu(input, tree, host);
    imported.outline = TreeOutline(tree);
    return imported;
}

struct InteropCase {
    const char* writer;
    std::string file;
    std::string outline;
};

// Small exports written by hand as each program writes them, following the public format
// description: the fields each writer uses, its escapes and its layout.
TEST(NcduImport, ReadsWhatNcduAndGduWrite)
{
    const InteropCase cases[] = {
        {"ncdu 1.9, minor version 0: dev and ino, excluded entries, a read error",
         "[1,0,{\"progname\":\"ncdu\",\"progver\":\"1.9\",\"timestamp\":1354477149},\n"
         "[{\"name\":\"/tmp/x\",\"asize\":4096,\"dsize\":4096,\"dev\":2049,\"ino\":1},\n"
         "{\"name\":\"a.txt\",\"asize\":300,\"dsize\":4096,\"ino\":2},\n"
         "[{\"name\":\"sub\",\"asize\":4096,\"dsize\":4096,\"ino\":3,\"read_error\":true},\n"
         "{\"name\":\"b\",\"asize\":20,\"dsize\":4096,\"ino\":4}],\n"
         "{\"name\":\"skipped\",\"excluded\":\"pattern\"},\n"
         "{\"name\":\"other\",\"excluded\":\"otherfs\"}]]\n",
         "/tmp/x=320{a.txt=300,sub=20{b=20},skipped=0,other=0}"},
        {"ncdu 1.16, minor version 2: hard links count once per link, extended mode, notreg",
         "[1,2,{\"progname\":\"ncdu\",\"progver\":\"1.16\",\"timestamp\":1600000000},\n"
         "[{\"name\":\"/srv\",\"asize\":4096,\"dsize\":4096,\"dev\":64769,\"ino\":2,\"uid\":0,\"gid\":0,"
         "\"mode\":16877,\"mtime\":1600000000},\n"
         "{\"name\":\"h1\",\"asize\":100,\"dsize\":4096,\"ino\":9,\"nlink\":2,\"hlnkc\":true},\n"
         "[{\"name\":\"d\",\"asize\":4096,\"dsize\":4096,\"ino\":5},\n"
         "{\"name\":\"h2\",\"asize\":100,\"dsize\":4096,\"ino\":9,\"nlink\":2,\"hlnkc\":true},\n"
         "{\"name\":\"link\",\"asize\":7,\"dsize\":0,\"ino\":11,\"notreg\":true}]]]\n",
         "/srv=207{h1=100,d=107{h2=100,link=7}}"},
        {"ncdu 2.x: raw bytes in names, an excluded folder as an object, a kernfs mount",
         "[1,2,{\"progname\":\"ncdu\",\"progver\":\"2.3\",\"timestamp\":1700000000},\n"
         "[{\"name\":\"/home/ann\",\"asize\":4096,\"dsize\":4096,\"dev\":2049,\"ino\":7},\n"
         "{\"name\":\"caf\xc3\xa9 \xff\\\"q\\\\\",\"asize\":12,\"dsize\":4096,\"ino\":8},\n"
         "{\"name\":\"proc\",\"excluded\":\"kernfs\"},\n"
         "[{\"name\":\"empty\",\"asize\":4096,\"dsize\":4096,\"ino\":10}]]]",
         "/home/ann=12{caf\xc3\xa9 \xff\"q\\=12,proc=0,empty=0{}}"},
        {"gdu: mtime everywhere, Go's escapes, entries with only dsize",
         "[1,2,{\"progname\":\"gdu\",\"progver\":\"v5.22.0\",\"timestamp\":1700000001},\n"
         "[{\"name\":\"/data\",\"mtime\":1700000000},\n"
         "{\"name\":\"a\\u003cb\\u0026\",\"asize\":10,\"dsize\":4096,\"mtime\":1700000000},\n"
         "{\"name\":\"bad\\ufffd\",\"dsize\":8192,\"mtime\":1700000000},\n"
         "[{\"name\":\"g\\ud83d\\ude00\",\"mtime\":1700000000},{\"name\":\"x\",\"asize\":5}]]]\n",
         "/data=8207{a<b&=10,bad\xef\xbf\xbd=8192,g\xf0\x9f\x98\x80=5{x=5}}"},
        {"any writer: unknown keys and metadata, pretty-printed",
         "[ 1 , 3 , {\"progname\":\"x\",\"extra\":{\"a\":[1,{\"b\":null},-2.5e3]},\"timestamp\":1.5} ,\n"
         "  [ {\"name\":\"/r\",\"future\":[[[]],{}]} ,\n"
         "    { \"name\" : \"f\" , \"asize\" : 3 , \"flag\" : false }\n"
         "  ]\n"
         "]\n",
         "/r=3{f=3}"},
        {"any writer: the root of the file system, names with dots that are not . or ..",
         "[1,2,{},[{\"name\":\"/"
         "\"},{\"name\":\"...\",\"asize\":1},[{\"name\":\".d\"},{\"name\":\"..x\",\"asize\":2}]]]",
         "/=3{...=1,.d=2{..x=2}}"},
    };
    for (const InteropCase& c : cases) {
        SCOPED_TRACE(c.writer);
        EXPECT_EQ(import(c.file).outline, c.outline);
    }
}

TEST(NcduImport, KeepsTheMetadataAndTellsTheHost)
{
    EntryTree tree;
    StringInput input(
        "[1,2,{\"progname\":\"gdu\",\"progver\":\"v5\",\"timestamp\":1700000001,\"x\":\"y\"},"
        "[{\"name\":\"/data\"},{\"name\":\"a\",\"asize\":1},[{\"name\":\"d\"},{\"name\":\"b\",\"asize\":2}]]]");
    RecordingHost host;
    const ImportedScan scan = ImportNcdu(input, tree, host);
    EXPECT_EQ(scan.majorVersion, 1);
    EXPECT_EQ(scan.minorVersion, 2);
    EXPECT_EQ(scan.rootPath, "/data");
    EXPECT_EQ(scan.programName, "gdu");
    EXPECT_EQ(scan.programVersion, "v5");
    EXPECT_EQ(scan.timestamp, 1700000001);
    EXPECT_EQ(host.folders, 2);
    EXPECT_EQ(host.counted, 3u);
    EXPECT_EQ(host.finished, 1);
    EXPECT_EQ(tree.EntryPath(tree.childAt(tree.childAt(tree.FirstEntry(), 1), 0)), "/data/d/b/");
}

TEST(NcduImport, AStopKeepsFolderTotalsOfWhatWasRead)
{
    EntryTree tree;
    StringInput input(
        "[1,2,{},[{\"name\":\"/r\"},{\"name\":\"a\",\"asize\":1},"
        "[{\"name\":\"d\"},{\"name\":\"b\",\"asize\":2},{\"name\":\"c\",\"asize\":4}],{\"name\":\"e\",\"asize\":8}]]");
    RecordingHost host(3);
    ImportNcdu(input, tree, host);
    EXPECT_EQ(TreeOutline(tree), "/r=3{a=1,d=2{b=2}}");
}

struct BadCase {
    std::string file;
    std::uint64_t offset;
    std::string reason;
};

TEST(NcduImport, RejectsWhatDoesNotFollowTheFormatNamingTheByte)
{
    const std::string head = "[1,2,{},";
    const BadCase cases[] = {
        {"", 0, "the file ends early; expected '[' at the start of the file"},
        {"{\"name\":\"/a\"}", 0, "expected '[' at the start of the file"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"b\",\"asize\":1}", 45, "the file ends early; expected ',' or ']'"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"b", 33, "the file ends inside a string"},
        {"[2,0,{},[{\"name\":\"/a\"}]]", 1, "major version 2 is not supported (only 1)"},
        {"[1,10001,{},[{\"name\":\"/a\"}]]", 3, "the minor version out of range (0 to 10000)"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"b\",\"asize\":-1}]]", 43,
         "\"asize\" out of range (0 to 9223372036854775807)"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"b\",\"dsize\":9223372036854775808}]]", 43,
         "\"dsize\" out of range (0 to 9223372036854775807)"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"b\",\"asize\":1.5}]]", 43,
         "\"asize\" out of range (0 to 9223372036854775807)"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"b\",\"ino\":18446744073709551616}]]", 41,
         "a number out of range (0 to 18446744073709551615)"},
        {head + "\"/a\"]", 8, "expected the top-level folder's array"},
        {head + "[{\"name\":\"/a\"},\"b\"]]", 23, "expected a folder's array or a file's object"},
        {head + "[[{\"name\":\"/a\"}]]]", 9, "expected an information object"},
        {head + "[{\"name\":\"/a\"},{\"asize\":1}]]", 23, "an entry has no name"},
        {head + "[{\"name\":1}]]", 17, "expected a string for \"name\""},
        {head + "[{\"name\":\"a\tb\"}]]", 19, "a control character inside a string must be escaped"},
        {head + "[{\"name\":\"a\\x\"}]]", 20, "unknown escape in a string"},
        {head + "[{\"name\":\"a\\u12g4\"}]]", 24, "expected four hexadecimal digits after \\u"},
        {head + "[{\"name\":\"/a\",\"hlnkc\":\"yes\"}]]", 30, "expected true or false"},
        {head + "[{\"name\":\"/a\",\"x\":[1,}]]", 29, "expected a value"},
        {head + "[{\"name\":\"/a\"}]] x", 25, "unexpected data after the end"},
        {head + "[{\"name\":\"/a\"}]", 23, "the file ends early; expected ']' after the top-level folder"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"b\",\"asize\":9223372036854775807},{\"name\":\"c\",\"asize\":1}]]", 64,
         "the sizes add up to more than 2^63-1 bytes"},
        {"[1,2,\"meta\",[{\"name\":\"/a\"}]]", 5, "expected the metadata object"},
        // Names no file system can hold, below the top-level folder whose name is a path.
        {head + "[{\"name\":\"/a\"},{\"name\":\"b/c\"}]]", 31, "a name holds '/'"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"/\"}]]", 31, "a name holds '/'"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"\"}]]", 31, "a name is empty"},
        {head + "[{\"name\":\"/a\"},{\"name\":\".\"}]]", 31, "a name is \".\" or \"..\""},
        {head + "[{\"name\":\"/a\"},[{\"name\":\"..\"}]]]", 32, "a name is \".\" or \"..\""},
        {head + "[{\"name\":\"/a\"},{\"name\":\"a\\u0000b\"}]]", 31, "a name holds a NUL byte"},
        {head + "[{\"name\":\"/a\\u0000\"}]]", 17, "a name holds a NUL byte"},
        // A surrogate escape stands for a character only as a pair.
        {head + "[{\"name\":\"/a\"},{\"name\":\"f\\ud800\"}]]", 33, "a lone surrogate escape in a string"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"\\udc00x\"}]]", 32, "a lone surrogate escape in a string"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"f\\ud800\\n\"}]]", 33, "a lone surrogate escape in a string"},
        {head + "[{\"name\":\"/a\"},{\"name\":\"f\\ud800\\u0041\"}]]", 33, "a lone surrogate escape in a string"},
        {"[1,2,{\"progname\":\"\\ud83d\"},[{\"name\":\"/a\"}]]", 18, "a lone surrogate escape in a string"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.file);
        EntryTree tree;
        StringInput input(c.file);
        RecordingHost host;
        try {
            ImportNcdu(input, tree, host);
            ADD_FAILURE() << "accepted";
        } catch (const ImportError& error) {
            EXPECT_EQ(error.reason(), c.reason);
            EXPECT_EQ(error.offset(), c.offset);
            EXPECT_EQ(std::string(error.what()), "byte " + std::to_string(c.offset) + ": " + c.reason);
        }
    }
}

TEST(NcduImport, ParsesNestingAHundredThousandDeep)
{
    constexpr int Depth = 100000;
    std::string file = "[1,2,{},";
    for (int i = 0; i < Depth; ++i)
        file += "[{\"name\":\"d\"},";
    file += "{\"name\":\"f\",\"asize\":5,\"unknown\":";
    file += std::string(Depth, '[') + std::string(Depth, ']');
    file += "}" + std::string(Depth, ']') + "]";

    EntryTree tree;
    StringInput input(file, 1 << 16);
    RecordingHost host;
    ImportNcdu(input, tree, host);
    ASSERT_EQ(tree.EntryCount(), static_cast<std::size_t>(Depth) + 1);
    EntryId deepest = tree.FirstEntry();
    while (tree.FirstChildEntry(deepest) != NoEntry)
        deepest = tree.FirstChildEntry(deepest);
    EXPECT_EQ(tree.name(deepest), "f");
    EXPECT_EQ(tree.EntryLevel(deepest), Depth);
    EXPECT_EQ(tree.size(tree.FirstEntry()), 5);
}

// A name that never ends: the prefix, then 'a' up to a gigabyte, made as it is read.
class EndlessNameInput final : public ImportInput {
public:
    std::size_t read(char* buffer, std::size_t capacity) override
    {
        static constexpr std::string_view Prefix = "[1,2,{},[{\"name\":\"";
        static constexpr std::uint64_t Total = std::uint64_t{1} << 30;
        std::size_t n = 0;
        for (; n < capacity && delivered < Total; ++n, ++delivered)
            buffer[n] = delivered < Prefix.size() ? Prefix[delivered] : 'a';
        return n;
    }
    std::uint64_t delivered = 0;
};

TEST(NcduImport, AGigabyteNameIsAnErrorLongBeforeItsEnd)
{
    for (const std::size_t limit : {NameArena::MaxNameLength, std::size_t{255}}) {
        SCOPED_TRACE(limit);
        EntryTree tree;
        EndlessNameInput input;
        RecordingHost host;
        try {
            ImportNcdu(input, tree, host, ImportLimits{limit});
            ADD_FAILURE() << "accepted";
        } catch (const ImportError& error) {
            EXPECT_EQ(error.reason(), "a string is longer than " + std::to_string(limit) + " bytes");
        }
        // Read a block or two past the limit, not the gigabyte.
        EXPECT_LT(input.delivered, std::uint64_t{1} << 18);
    }
}

TEST(NcduImport, AnUnreadableFileIsAnErrorAtByteZero)
{
    try {
        FileImportInput input("/nonexistent/scan.json");
        ADD_FAILURE() << "opened";
    } catch (const ImportError& error) {
        EXPECT_EQ(error.offset(), 0u);
        EXPECT_EQ(error.reason(), "cannot open the file: No such file or directory");
    }
}

} // namespace
} // namespace tallyvane
