// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pieces the report renderers share; not for use outside src/report.

#include "analysis/EntryTree.h"
#include "report/GridReport.h"

#include <QStringEncoder>
#include <QStringView>

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace tallyvane::reportwriting {

inline constexpr std::string_view LineEnd = "\r\n";

// The greatest level among the entries exported; 0 for an empty tree.
int MaxLevelOf(const EntryTree& tree, int depthLimit);

inline void appendNumber(std::string& out, std::int64_t number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

inline void appendRepeated(std::string& out, std::string_view piece, int times)
{
    for (int i = 0; i < times; ++i)
        out += piece;
}

// Appends UTF-8 straight into a reused buffer, sparing the QByteArray that toUtf8() would
// allocate for each of the millions of cells a large report has.
class Utf8Encoder {
public:
    void append(std::string& out, QStringView text)
    {
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(m_encoder.requiredSpace(text.size())));
        char* end = m_encoder.appendToBuffer(out.data() + start, text);
        out.resize(static_cast<std::size_t>(end - out.data()));
    }

    std::string encode(QStringView text)
    {
        std::string out;
        append(out, text);
        return out;
    }

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
};

inline bool isMain(const GridReport& report, const ReportColumn& column)
{
    return column.index == report.mainColumn;
}

} // namespace tallyvane::reportwriting
