// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniText.h"

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

} // namespace

IniText::IniText(std::string text) : m_text(std::move(text))
{
    split();
}

std::optional<std::string_view> IniText::value(std::string_view section, std::string_view key) const
{
    const std::optional<Section> found = findSection(section);
    if (!found)
        return std::nullopt;
    const std::optional<Span> span = findValue(*found, key);
    if (!span)
        return std::nullopt;
    return std::string_view(m_text).substr(span->begin, span->end - span->begin);
}

void IniText::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    const std::optional<Section> found = findSection(section);
    if (!found) {
        std::string lines = m_text.empty() || m_text.back() == '\n' ? "" : endOfUnterminatedLine();
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
        std::string lines = line.next == line.end ? endOfUnterminatedLine() : "";
        lines.append(key).append("=").append(value).append(m_lineEnd);
        m_text.insert(line.next, lines);
    }
    split();
}

void IniText::split()
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

std::string_view IniText::content(const Line& line) const
{
    return std::string_view(m_text).substr(line.begin, line.end - line.begin);
}

// What ends the text's unterminated last line: a CR it ends in belongs to the line, and a
// bare LF after it would turn that CR into part of the line end.
std::string IniText::endOfUnterminatedLine() const
{
    return m_text.ends_with('\r') ? "\r\n" : m_lineEnd;
}

// The name of a "[Name]" line; nothing for any other line.
std::optional<std::string_view> IniText::sectionName(const Line& line) const
{
    const std::string_view text = trimmed(content(line));
    const std::size_t close = text.find(']');
    if (text.empty() || text.front() != '[' || close == std::string_view::npos)
        return std::nullopt;
    return trimmed(text.substr(1, close - 1));
}

std::optional<IniText::Section> IniText::findSection(std::string_view name) const
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

std::optional<IniText::Span> IniText::findValue(const Section& section, std::string_view key) const
{
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        const std::string_view line = content(m_lines[i]);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || !sameName(trimmed(line.substr(0, equals)), key))
            continue;
        const std::string_view value = trimmed(line.substr(equals + 1));
        const std::size_t begin =
            value.empty() ? m_lines[i].end : m_lines[i].begin + static_cast<std::size_t>(value.data() - line.data());
        return Span{begin, begin + value.size()};
    }
    return std::nullopt;
}

} // namespace tallyvane
