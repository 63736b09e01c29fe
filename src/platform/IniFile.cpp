// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

namespace tallyvane {
namespace {

constexpr std::string_view Blanks = " \t";

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

char lowered(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowered(a[i]) != lowered(b[i]))
            return false;
    }
    return true;
}

// The text of a settings file, looked up and edited in place: an edit touches the bytes of one
// value or inserts whole lines, and leaves every other byte where it was.
class IniText {
public:
    explicit IniText(std::string text) : m_text(std::move(text)) { split(); }

    const std::string& text() const { return m_text; }

    std::optional<std::string_view> value(std::string_view section, std::string_view key) const
    {
        const std::optional<Section> found = findSection(section);
        if (!found)
            return std::nullopt;
        const std::optional<Span> span = findValue(*found, key);
        if (!span)
            return std::nullopt;
        return std::string_view(m_text).substr(span->begin, span->end - span->begin);
    }

    void setValue(std::string_view section, std::string_view key, std::string_view value)
    {
        const std::optional<Section> found = findSection(section);
        if (!found) {
            std::string lines = m_text.empty() || m_text.back() == '\n' ? "" : m_lineEnd;
            lines.append("[").append(section).append("]").append(m_lineEnd);
            lines.append(key).append("=").append(value).append(m_lineEnd);
            m_text += lines;
        } else if (const std::optional<Span> span = findValue(*found, key)) {
            m_text.replace(span->begin, span->end - span->begin, value);
        } else {
            // After the section's last non-blank line, so blank lines that set it apart from
            // the next section stay between them.
            std::size_t last = found->header;
            for (std::size_t i = found->header + 1; i < found->end; ++i) {
                if (!trimmed(content(m_lines[i])).empty())
                    last = i;
            }
            const Line& line = m_lines[last];
            std::string lines = line.next == line.end ? m_lineEnd : "";
            lines.append(key).append("=").append(value).append(m_lineEnd);
            m_text.insert(line.next, lines);
        }
        split();
    }

private:
    struct Line {
        std::size_t begin;
        std::size_t end;  // where the line end ("\n" or "\r\n") begins
        std::size_t next; // where the following line begins
    };
    // A section's header line and the index after its last line.
    struct Section {
        std::size_t header;
        std::size_t end;
    };
    struct Span {
        std::size_t begin;
        std::size_t end;
    };

    void split()
    {
        m_lines.clear();
        m_lineEnd.clear();
        for (std::size_t begin = 0; begin < m_text.size();) {
            const std::size_t newline = m_text.find('\n', begin);
            if (newline == std::string::npos) {
                m_lines.push_back({begin, m_text.size(), m_text.size()});
                break;
            }
            const bool crlf = newline > begin && m_text[newline - 1] == '\r';
            if (m_lineEnd.empty())
                m_lineEnd = crlf ? "\r\n" : "\n";
            m_lines.push_back({begin, crlf ? newline - 1 : newline, newline + 1});
            begin = newline + 1;
        }
        if (m_lineEnd.empty())
            m_lineEnd = "\n";
    }

    std::string_view content(const Line& line) const
    {
        return std::string_view(m_text).substr(line.begin, line.end - line.begin);
    }

    // The name of a "[Name]" line; nothing for any other line.
    std::optional<std::string_view> sectionName(const Line& line) const
    {
        const std::string_view text = trimmed(content(line));
        const std::size_t close = text.find(']');
        if (text.empty() || text.front() != '[' || close == std::string_view::npos)
            return std::nullopt;
        return trimmed(text.substr(1, close - 1));
    }

    std::optional<Section> findSection(std::string_view name) const
    {
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            const std::optional<std::string_view> header = sectionName(m_lines[i]);
            if (!header || !sameName(*header, name))
                continue;
            std::size_t end = i + 1;
            while (end < m_lines.size() && !sectionName(m_lines[end]))
                ++end;
            return Section{i, end};
        }
        return std::nullopt;
    }

    std::optional<Span> findValue(const Section& section, std::string_view key) const
    {
        for (std::size_t i = section.header + 1; i < section.end; ++i) {
            const std::string_view line = content(m_lines[i]);
            const std::size_t equals = line.find('=');
            if (equals == std::string_view::npos || !sameName(trimmed(line.substr(0, equals)), key))
                continue;
            const std::string_view value = trimmed(line.substr(equals + 1));
            const std::size_t begin = value.empty()
                ? m_lines[i].end
                : m_lines[i].begin + static_cast<std::size_t>(value.data() - line.data());
            return Span{begin, begin + value.size()};
        }
        return std::nullopt;
    }

    std::string m_text;
    std::vector<Line> m_lines;
    std::string m_lineEnd;
};

// The file's bytes, empty when there is no file; nothing when it exists but cannot be read.
std::optional<std::string> readText(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::string();
        return std::nullopt;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (count == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return text;
}

std::optional<int> parseInteger(std::string_view text)
{
    int base = 10;
    bool negative = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // An unsigned parse takes no sign, so a second sign or one after "0x" is refused.
    std::uint64_t magnitude = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, magnitude, base);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    const std::uint64_t limit = negative ? std::uint64_t{INT_MAX} + 1 : std::uint64_t{INT_MAX};
    if (magnitude > limit)
        return std::nullopt;
    return static_cast<int>(negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude));
}

} // namespace

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const
{
    std::optional<std::string> text = readText(m_path);
    if (!text)
        return std::string(defaultValue);
    const IniText ini(std::move(*text));
    const std::optional<std::string_view> value = ini.value(section, key);
    return std::string(value ? value->substr(0, MaxValueLength) : defaultValue);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    return parseInteger(readString(section, key, {})).value_or(defaultValue);
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    const FileError failure("Unable to write to " + m_path);
    // A file that exists but cannot be read would lose its other lines if it were replaced.
    std::optional<std::string> text = readText(m_path);
    if (!text)
        throw failure;
    IniText ini(std::move(*text));
    ini.setValue(section, key, value);

    const std::size_t slash = m_path.rfind('/');
    if (slash != std::string::npos && slash != 0 && !MakeFolders(m_path.substr(0, slash)))
        throw failure;
    try {
        AtomicFile file(m_path);
        file.write(ini.text());
        file.commit();
    } catch (const FileError&) {
        throw failure;
    }
}

} // namespace tallyvane
