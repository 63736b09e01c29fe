// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyvane {

// The text of a settings file, looked up and edited in place: an edit touches the bytes of one
// value or inserts whole lines, and leaves every other byte where it was, so that every other
// key reads back as before. IniFile describes the format.
class IniText {
public:
    explicit IniText(std::string text);

    const std::string& text() const { return m_text; }

    // The value without surrounding blanks; nothing when the section or the key is missing.
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;

    void setValue(std::string_view section, std::string_view key, std::string_view value);

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

    void split();
    std::string_view content(const Line& line) const;
    std::string endOfUnterminatedLine() const;
    std::optional<std::string_view> sectionName(const Line& line) const;
    std::optional<Section> findSection(std::string_view name) const;
    std::optional<Span> findValue(const Section& section, std::string_view key) const;

    std::string m_text;
    std::vector<Line> m_lines;
    std::string m_lineEnd;
};

} // namespace tallyvane
