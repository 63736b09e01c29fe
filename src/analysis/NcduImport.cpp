// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/NcduImport.h"

#include "platform/FileAttributes.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

namespace tallyvane {

FileImportInput::FileImportInput(const std::string& path)
    : m_file(path == "-" ? stdin : std::fopen(path.c_str(), "rb")), m_ownsFile(path != "-")
{
    if (!m_file)
        throw ImportError("cannot open the file: " + std::string(std::strerror(errno)), 0);
}

FileImportInput::~FileImportInput()
{
    if (m_ownsFile)
        std::fclose(m_file);
}

std::size_t FileImportInput::read(char* buffer, std::size_t capacity)
{
    const std::size_t got = std::fread(buffer, 1, capacity, m_file);
    // A failed read (an interrupt among them) ends the import rather than being tried again.
    if (std::ferror(m_file))
        throw ImportError("cannot read the file: " + std::string(std::strerror(errno)), 0);
    return got;
}

ImportError::ImportError(const std::string& reason, std::uint64_t offset)
    : std::runtime_error("byte " + std::to_string(offset) + ": " + reason), m_reason(reason), m_offset(offset)
{
}

namespace {

constexpr std::uint64_t MaxSize = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
constexpr std::uint64_t MaxVersion = 10000;

// A JSON number as far as the import cares: whole and not negative, or not.
struct Number {
    std::uint64_t value = 0;
    bool whole = true; // no fraction, no exponent, not negative, fits 64 bits
};

// The fields of an entry's information object that decide something.
struct Info {
    std::string name;
    std::uint64_t nameAt = 0; // the offset of the name's string
    bool hasName = false;
    std::optional<std::uint64_t> apparentSize;
    std::optional<std::uint64_t> diskSize;
    bool notRegular = false;
    bool readError = false; // a folder the writer could not read (in full)
    std::uint32_t mark = 0; // why the writer left it out, as the scan marks it
};

// A byte-level JSON reader over a buffered input. It reads only what the format holds and
// remembers nothing but the open folders, so memory does not grow with the file.
class Reader {
public:
    Reader(ImportInput& input, ImportLimits limits)
        : m_input(input), m_limits(limits), m_buffer(std::make_unique<char[]>(BufferSize))
    {
        m_pos = m_end = m_buffer.get();
    }

    std::uint64_t offset() const { return m_base + static_cast<std::uint64_t>(m_pos - m_buffer.get()); }

    [[noreturn]] void fail(const std::string& reason) const { throw ImportError(reason, offset()); }

    // The next byte without taking it; -1 at the end of the input.
    int peek()
    {
        if (m_pos == m_end && !refill())
            return -1;
        return static_cast<unsigned char>(*m_pos);
    }

    int get()
    {
        const int c = peek();
        if (c >= 0)
            ++m_pos;
        return c;
    }

    // Skips white space and returns the next byte without taking it.
    int next()
    {
        for (;;) {
            while (m_pos != m_end) {
                const char c = *m_pos;
                if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
                    return static_cast<unsigned char>(c);
                ++m_pos;
            }
            if (!refill())
                return -1;
        }
    }

    void expect(char wanted, const char* what)
    {
        if (next() != static_cast<unsigned char>(wanted))
            failExpected(what);
        ++m_pos;
    }

    [[noreturn]] void failExpected(const char* what)
    {
        if (peek() < 0)
            fail(std::string("the file ends early; expected ") + what);
        fail(std::string("expected ") + what);
    }

    // Reads a string whose opening quote is next. out gets its bytes, escapes decoded.
    void readString(std::string& out)
    {
        expect('"', "a string");
        out.clear();
        const std::size_t limit = m_limits.maxStringLength;
        for (;;) {
            if (m_pos == m_end && !refill())
                fail("the file ends inside a string");
            const char* start = m_pos;
            while (m_pos != m_end) {
                const auto c = static_cast<unsigned char>(*m_pos);
                if (c == '"' || c == '\\' || c < 0x20)
                    break;
                ++m_pos;
            }
            const auto run = static_cast<std::size_t>(m_pos - start);
            if (out.size() + run > limit)
                failLong();
            out.append(start, run);
            if (m_pos == m_end)
                continue;
            const auto c = static_cast<unsigned char>(*m_pos);
            if (c == '"') {
                ++m_pos;
                return;
            }
            if (c < 0x20)
                fail("a control character inside a string must be escaped");
            ++m_pos;
            readEscape(out);
            if (out.size() > limit)
                failLong();
        }
    }

    // Reads a number as JSON writes it; only a whole, non-negative one that fits 64 bits has
    // its value kept.
    Number readNumber()
    {
        Number number;
        if (peek() == '-') {
            ++m_pos;
            number.whole = false;
        }
        int c = peek();
        if (c < '0' || c > '9')
            fail("expected a number");
        if (c == '0') {
            ++m_pos;
        } else {
            while ((c = peek()) >= '0' && c <= '9') {
                ++m_pos;
                const auto digit = static_cast<std::uint64_t>(c - '0');
                if (number.value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
                    number.whole = false;
                number.value = number.value * 10 + digit;
            }
        }
        if (peek() == '.') {
            ++m_pos;
            number.whole = false;
            if (!skipDigits())
                fail("expected a digit after the decimal point");
        }
        if (c = peek(); c == 'e' || c == 'E') {
            ++m_pos;
            number.whole = false;
            if (c = peek(); c == '+' || c == '-')
                ++m_pos;
            if (!skipDigits())
                fail("expected a digit in the exponent");
        }
        return number;
    }

    // A number that must be whole and at most max.
    std::uint64_t readWhole(std::uint64_t max, const char* what)
    {
        if (const int c = next(); c != '-' && (c < '0' || c > '9'))
            failExpected(what);
        const std::uint64_t start = offset();
        const Number number = readNumber();
        if (!number.whole || number.value > max)
            throw ImportError(std::string(what) + " out of range (0 to " + std::to_string(max) + ")", start);
        return number.value;
    }

    bool readBoolean(const char* what)
    {
        next();
        if (readWord("true"))
            return true;
        if (readWord("false"))
            return false;
        failExpected(what);
    }

    // Skips any JSON value, checking its syntax, with a stack of its own.
    void skipValue()
    {
        std::vector<char> open; // '[' or '{' for each container entered
        for (;;) {
            const int c = next();
            if (c == '[' || c == '{') {
                ++m_pos;
                const int close = c == '[' ? ']' : '}';
                if (next() == close) {
                    ++m_pos;
                } else {
                    open.push_back(static_cast<char>(c));
                    if (c == '{')
                        skipKey();
                    continue;
                }
            } else if (c == '"') {
                skipString();
            } else if (c == '-' || (c >= '0' && c <= '9')) {
                readNumber();
            } else if (!readWord("true") && !readWord("false") && !readWord("null")) {
                failExpected("a value");
            }
            // A value is complete: close what it completes, or go on to the next member.
            for (;;) {
                if (open.empty())
                    return;
                const char container = open.back();
                const int after = next();
                if (after == ',') {
                    ++m_pos;
                    if (container == '{')
                        skipKey();
                    break;
                }
                if (after == (container == '[' ? ']' : '}')) {
                    ++m_pos;
                    open.pop_back();
                    continue;
                }
                failExpected(container == '[' ? "',' or ']'" : "',' or '}'");
            }
        }
    }

    // true when only white space is left.
    bool atEnd() { return next() < 0; }

private:
    static constexpr std::size_t BufferSize = std::size_t{1} << 16;

    bool refill()
    {
        m_base += static_cast<std::uint64_t>(m_end - m_buffer.get());
        const std::size_t got = m_input.read(m_buffer.get(), BufferSize);
        m_pos = m_buffer.get();
        m_end = m_pos + got;
        return got != 0;
    }

    [[noreturn]] void failLong()
    {
        fail("a string is longer than " + std::to_string(m_limits.maxStringLength) + " bytes");
    }

    bool skipDigits()
    {
        bool any = false;
        for (int c = peek(); c >= '0' && c <= '9'; c = peek()) {
            ++m_pos;
            any = true;
        }
        return any;
    }

    // Takes word when it is next, whole; nothing otherwise.
    bool readWord(std::string_view word)
    {
        if (peek() != static_cast<unsigned char>(word.front()))
            return false;
        for (const char expected : word) {
            if (get() != static_cast<unsigned char>(expected))
                fail("expected a value");
        }
        return true;
    }

    // A string whose bytes are not needed: checked, not kept, so no length limit applies.
    void skipString()
    {
        ++m_pos; // the opening quote
        for (;;) {
            const int c = get();
            if (c < 0)
                fail("the file ends inside a string");
            if (c == '"')
                return;
            if (c < 0x20)
                fail("a control character inside a string must be escaped");
            if (c == '\\') {
                m_scratch.clear();
                readEscape(m_scratch);
            }
        }
    }

    void skipKey()
    {
        if (next() != '"')
            failExpected("a key");
        skipString();
        expect(':', "':'");
    }

    unsigned readHex4()
    {
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = get();
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                fail("expected four hexadecimal digits after \\u");
            value = value * 16 + digit;
        }
        return value;
    }

    // The escape after a backslash, appended to out as bytes.
    void readEscape(std::string& out)
    {
        const int c = get();
        switch (c) {
        case '"':
            out += '"';
            return;
        case '\\':
            out += '\\';
            return;
        case '/':
            out += '/';
            return;
        case 'b':
            out += '\b';
            return;
        case 'f':
            out += '\f';
            return;
        case 'n':
            out += '\n';
            return;
        case 'r':
            out += '\r';
            return;
        case 't':
            out += '\t';
            return;
        case 'u':
            break;
        default:
            throw ImportError("unknown escape in a string", offset() - 1);
        }
        // A surrogate stands for nothing alone: only a pair is a character.
        const std::uint64_t escapeAt = offset() - 2;
        const unsigned code = readHex4();
        if (code < 0xD800 || code > 0xDFFF) {
            appendUtf8(out, code);
            return;
        }
        const auto lone = [escapeAt] { return ImportError("a lone surrogate escape in a string", escapeAt); };
        if (code > 0xDBFF || peek() != '\\')
            throw lone();
        ++m_pos;
        if (peek() != 'u')
            throw lone();
        ++m_pos;
        const unsigned low = readHex4();
        if (low < 0xDC00 || low > 0xDFFF)
            throw lone();
        appendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
    }

    static void appendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    ImportInput& m_input;
    ImportLimits m_limits;
    std::unique_ptr<char[]> m_buffer;
    char* m_pos;
    char* m_end;
    std::uint64_t m_base = 0; // offset of the buffer's first byte
    std::string m_scratch;
};

// Builds the tree from the reader, one information object at a time.
class NcduTreeReader {
public:
    NcduTreeReader(Reader& reader, EntryTree& tree, ScanHost& host) : m_reader(reader), m_tree(tree), m_host(host) {}

    ImportedScan read()
    {
        ImportedScan scan;
        m_reader.expect('[', "'[' at the start of the file");
        m_reader.next();
        const std::uint64_t versionAt = m_reader.offset();
        scan.majorVersion = static_cast<int>(m_reader.readWhole(MaxVersion, "the major version"));
        if (scan.majorVersion != 1)
            throw ImportError("major version " + std::to_string(scan.majorVersion) + " is not supported (only 1)",
                              versionAt);
        m_reader.expect(',', "','");
        scan.minorVersion = static_cast<int>(m_reader.readWhole(MaxVersion, "the minor version"));
        m_reader.expect(',', "','");
        readMetadata(scan);
        m_reader.expect(',', "','");
        readFolders();
        scan.rootPath = std::string(m_tree.name(m_tree.FirstEntry()));
        if (m_stopped)
            return scan;
        m_reader.expect(']', "']' after the top-level folder");
        if (!m_reader.atEnd())
            m_reader.fail("unexpected data after the end");
        return scan;
    }

private:
    void readMetadata(ImportedScan& scan)
    {
        m_reader.expect('{', "the metadata object");
        if (m_reader.next() == '}') {
            m_reader.get();
            return;
        }
        for (;;) {
            m_reader.readString(m_key);
            m_reader.expect(':', "':'");
            const int c = m_reader.next();
            if (m_key == "progname" && c == '"') {
                m_reader.readString(scan.programName);
            } else if (m_key == "progver" && c == '"') {
                m_reader.readString(scan.programVersion);
            } else if (m_key == "timestamp" && c >= '0' && c <= '9') {
                const Number number = m_reader.readNumber();
                if (number.whole && number.value <= MaxSize)
                    scan.timestamp = static_cast<std::int64_t>(number.value);
            } else {
                m_reader.skipValue(); // metadata the format leaves open
            }
            if (!endOfMember('}'))
                return;
        }
    }

    // After a member: true when another follows, false when closer ended the container.
    bool endOfMember(char closer)
    {
        const int c = m_reader.next();
        if (c == ',') {
            m_reader.get();
            return true;
        }
        if (c == static_cast<unsigned char>(closer)) {
            m_reader.get();
            return false;
        }
        m_reader.failExpected(closer == '}' ? "',' or '}'" : "',' or ']'");
    }

    void readInfo(Info& info)
    {
        const std::uint64_t start = m_reader.offset();
        m_reader.expect('{', "an information object");
        info.hasName = false;
        info.apparentSize.reset();
        info.diskSize.reset();
        info.notRegular = false;
        info.readError = false;
        info.mark = 0;
        if (m_reader.next() == '}') {
            m_reader.get();
        } else {
            do {
                m_reader.readString(m_key);
                m_reader.expect(':', "':'");
                readField(info);
            } while (endOfMember('}'));
        }
        if (!info.hasName)
            throw ImportError("an entry has no name", start);
    }

    void readField(Info& info)
    {
        const std::string_view key = m_key;
        if (key == "name") {
            if (m_reader.next() != '"')
                m_reader.failExpected("a string for \"name\"");
            info.nameAt = m_reader.offset();
            m_reader.readString(info.name);
            info.hasName = true;
        } else if (key == "asize") {
            info.apparentSize = m_reader.readWhole(MaxSize, "\"asize\"");
        } else if (key == "dsize") {
            info.diskSize = m_reader.readWhole(MaxSize, "\"dsize\"");
        } else if (key == "dev" || key == "ino" || key == "nlink" || key == "uid" || key == "gid" || key == "mode") {
            m_reader.readWhole(std::numeric_limits<std::uint64_t>::max(), "a number");
        } else if (key == "hlnkc") {
            m_reader.readBoolean("true or false");
        } else if (key == "read_error") {
            info.readError = m_reader.readBoolean("true or false");
        } else if (key == "notreg") {
            info.notRegular = m_reader.readBoolean("true or false");
        } else if (key == "excluded") {
            // A reason ("pattern", "otherfs", ...) in current writers, true in some older ones.
            // Another file system, kernel interfaces among them, keeps its own mark.
            if (m_reader.next() == '"') {
                m_reader.readString(m_scratch);
                info.mark =
                    m_scratch == "otherfs" || m_scratch == "kernfs" ? Attribute::OtherFileSystem : Attribute::Excluded;
            } else if (m_reader.readBoolean("a string for \"excluded\"")) {
                info.mark = Attribute::Excluded;
            }
        } else {
            m_reader.skipValue();
        }
    }

    // The top-level folder's name is a path ("/usr"); every name below it is one entry of a
    // folder, which no file system lets be empty, "." or "..", or hold a '/' or a NUL.
    static void checkName(const Info& info, bool top)
    {
        const std::string& name = info.name;
        const char* wrong = nullptr;
        if (name.find('\0') != std::string::npos)
            wrong = "a name holds a NUL byte";
        else if (top)
            return;
        else if (name.empty())
            wrong = "a name is empty";
        else if (name == "." || name == "..")
            wrong = "a name is \".\" or \"..\"";
        else if (name.find('/') != std::string::npos)
            wrong = "a name holds '/'";
        if (wrong)
            throw ImportError(wrong, info.nameAt);
    }

    static std::uint32_t attributesOf(const Info& info, bool folder)
    {
        std::uint32_t attributes = folder ? Attribute::Directory : 0;
        if (info.notRegular && !folder)
            attributes |= Attribute::ReparsePoint;
        if (!info.name.empty() && info.name.front() == '.')
            attributes |= Attribute::Hidden;
        if (!attributes)
            attributes = Attribute::Normal;
        if (info.readError && folder)
            attributes |= Attribute::Unreadable;
        return attributes | info.mark;
    }

    // at: the offset of the entry whose size is added.
    static void addSize(std::int64_t& total, std::int64_t size, std::uint64_t at)
    {
        if (__builtin_add_overflow(total, size, &total))
            throw ImportError("the sizes add up to more than 2^63-1 bytes", at);
    }

    // The top-level folder and everything below it. Each open folder is one level of an
    // explicit stack; its total is stored as its size once its array closes.
    void readFolders()
    {
        struct Level {
            EntryId folder;
            std::int64_t total;
        };
        std::vector<Level> levels;
        Info info;

        const auto openFolder = [&](EntryId parent) {
            readInfo(info);
            checkName(info, parent == NoEntry);
            const EntryId folder = m_tree.addEntry(parent, attributesOf(info, true), 0, info.name);
            if (parent != NoEntry)
                m_host.entryCounted(++m_count);
            m_host.folderEntered(m_tree, folder);
            levels.push_back({folder, 0});
        };

        if (m_reader.next() != '[')
            m_reader.failExpected("the top-level folder's array");
        m_reader.get();
        openFolder(NoEntry);
        while (!levels.empty()) {
            if (endOfMember(']')) {
                m_host.recordFetched();
                if (m_host.stopRequested()) {
                    m_stopped = true;
                    break;
                }
                const int c = m_reader.next();
                if (c == '[') {
                    m_reader.get();
                    openFolder(levels.back().folder);
                } else if (c == '{') {
                    const std::uint64_t start = m_reader.offset();
                    readInfo(info);
                    checkName(info, false);
                    const std::int64_t size =
                        static_cast<std::int64_t>(info.apparentSize ? *info.apparentSize : info.diskSize.value_or(0));
                    m_tree.addEntry(levels.back().folder, attributesOf(info, false), size, info.name);
                    m_host.entryCounted(++m_count);
                    addSize(levels.back().total, size, start);
                } else {
                    m_reader.failExpected("a folder's array or a file's object");
                }
                continue;
            }
            const Level done = levels.back();
            levels.pop_back();
            m_tree.setSize(done.folder, done.total);
            if (!levels.empty())
                addSize(levels.back().total, done.total, m_reader.offset());
        }
        // After a stop the open folders keep what was read below them.
        while (!levels.empty()) {
            const Level done = levels.back();
            levels.pop_back();
            m_tree.setSize(done.folder, done.total);
            if (!levels.empty())
                levels.back().total += done.total;
        }
        m_host.scanFinished();
    }

    Reader& m_reader;
    EntryTree& m_tree;
    ScanHost& m_host;
    std::string m_key;
    std::string m_scratch;
    std::uint32_t m_count = 0;
    bool m_stopped = false;
};

} // namespace

ImportedScan ImportNcdu(ImportInput& input, EntryTree& tree, ScanHost& host, ImportLimits limits)
{
    Reader reader(input, limits);
    try {
        NcduTreeReader treeReader(reader, tree, host);
        return treeReader.read();
    } catch (const std::length_error&) {
        throw ImportError("too many entries", reader.offset());
    } catch (const std::bad_alloc&) {
        throw ImportError("out of memory", reader.offset());
    }
}

} // namespace tallyvane
