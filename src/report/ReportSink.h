// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AtomicFile.h"

#include <string>
#include <string_view>

namespace tallyvane {

// Where a report's bytes go. The renderers write piece by piece, so a report of millions of
// rows never needs its whole text in memory unless the sink keeps it.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

// Keeps the whole text, for the window's save flow and for tests.
class StringSink final : public ReportSink {
public:
    void write(std::string_view bytes) override { m_text += bytes; }
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

// Writes into a file that is replaced whole once the report is complete.
class FileReportSink final : public ReportSink {
public:
    explicit FileReportSink(AtomicFile& file) : m_file(file) {}
    void write(std::string_view bytes) override { m_file.write(bytes); }

private:
    AtomicFile& m_file;
};

} // namespace tallyvane
