// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportSink.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

struct LineEndCase {
    const char* what;
    std::vector<std::string> writes;
    std::string expected;
};

void PrintTo(const LineEndCase& c, std::ostream* os) { *os << c.what; }

class CrLfSinkTest : public testing::TestWithParam<LineEndCase> {};

TEST_P(CrLfSinkTest, EndsEveryLineWithCrLf)
{
    StringSink out;
    CrLfSink lines(out);
    for (const std::string& piece : GetParam().writes)
        lines.write(piece);
    lines.finish();
    EXPECT_EQ(out.text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    LineBreaks, CrLfSinkTest,
    testing::Values(
        LineEndCase{"CrLfKept", {"a\r\nb\r\n"}, "a\r\nb\r\n"},
        LineEndCase{"LoneCrAndLoneLf", {"a\rb\nc"}, "a\r\nb\r\nc\r\n"},
        LineEndCase{"EmptyLinesKept", {"a\n\n\r\r\n"}, "a\r\n\r\n\r\n\r\n"},
        LineEndCase{"PairSplitAcrossWrites", {"a\r", "\nb"}, "a\r\nb\r\n"},
        LineEndCase{"PairSplitByEmptyWrite", {"a\r", "", "\n"}, "a\r\n"},
        LineEndCase{"CrThenTextThenLf", {"a\r", "b", "\n"}, "a\r\nb\r\n"},
        LineEndCase{"LastLineEndedByFinish", {"</tab", "le>"}, "</table>\r\n"},
        LineEndCase{"NothingWritten", {}, ""},
        LineEndCase{"OnlyEmptyWrites", {"", ""}, ""}),
    [](const testing::TestParamInfo<LineEndCase>& info) { return info.param.what; });

} // namespace
} // namespace tallyvane
