// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportSink.h"

namespace tallyvane {

void CrLfSink::write(std::string_view bytes)
{
    static constexpr std::string_view LineEnd = "\r\n";
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            m_afterCr = false;
            continue;
        }
        if (i > start)
            m_next.write(bytes.substr(start, i - start));
        start = i + 1;
        // The LF of a CR LF pair, possibly split across two writes, ends no second line.
        if (c == '\n' && m_afterCr) {
            m_afterCr = false;
            continue;
        }
        m_next.write(LineEnd);
        m_afterCr = c == '\r';
        m_lineOpen = false;
    }
    if (start < bytes.size()) {
        m_next.write(bytes.substr(start));
        m_lineOpen = true;
    }
}

void CrLfSink::finish()
{
    if (m_lineOpen)
        m_next.write("\r\n");
    m_lineOpen = false;
}

} // namespace tallyvane
