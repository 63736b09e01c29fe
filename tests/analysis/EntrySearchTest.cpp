// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntrySearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tallyvane {
namespace {

using Attribute::Directory;

// /data
//   Docs/     Report.TXT, report.txt.bak, Ärger.md, 报告.doc, sub/ (deep_report.txt)
//   Other/    report.txt
//   a.txt, b.txt, c.txt, ab.txt, a[1].log, bad<0xFF>name
class EntrySearchTest : public testing::Test {
protected:
    EntrySearchTest()
    {
        root = tree.addEntry(NoEntry, Directory, 0, "/data");
        docs = tree.addEntry(root, Directory, 0, "Docs");
        add(docs, "Report.TXT");
        add(docs, "report.txt.bak");
        add(docs, "Ärger.md");
        add(docs, "报告.doc");
        sub = tree.addEntry(docs, Directory, 0, "sub");
        add(sub, "deep_report.txt");
        other = tree.addEntry(root, Directory, 0, "Other");
        add(other, "report.txt");
        for (const char* name : {"a.txt", "b.txt", "c.txt", "ab.txt", "a[1].log",
                                 "bad\xff"
                                 "name"})
            add(root, name);
    }

    void add(EntryId folder, std::string_view name) { tree.addEntry(folder, 0, 0, name); }

    std::vector<std::string> namesOf(const std::vector<EntryId>& entries) const
    {
        std::vector<std::string> names;
        for (const EntryId e : entries)
            names.emplace_back(tree.name(e));
        return names;
    }

    std::vector<std::string> find(const QString& pattern, EntryId folder = NoEntry) const
    {
        return namesOf(FindEntries(tree, folder, NamePattern(pattern)).matches);
    }

    EntryTree tree;
    EntryId root, docs, sub, other;
};

struct PatternCase {
    const char* pattern;
    std::vector<std::string> names;
};

void PrintTo(const PatternCase& c, std::ostream* out)
{
    *out << '"' << c.pattern << '"';
}

class PatternTest : public EntrySearchTest, public testing::WithParamInterface<PatternCase> {};

TEST_P(PatternTest, FindsTheMatchingNamesInTreeOrder)
{
    EXPECT_EQ(find(QString::fromUtf8(GetParam().pattern)), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, PatternTest,
    testing::Values(
        // Plain text: anywhere in the name, any case.
        PatternCase{"REPORT", {"Report.TXT", "report.txt.bak", "deep_report.txt", "report.txt"}},
        PatternCase{"äRGER", {"Ärger.md"}}, PatternCase{"报告", {"报告.doc"}},
        // A "[" that no "]" closes is text like any other.
        PatternCase{"a[1", {"a[1].log"}},
        // Wildcards: the whole name, any case.
        PatternCase{"*.txt", {"Report.TXT", "deep_report.txt", "report.txt", "a.txt", "b.txt", "c.txt", "ab.txt"}},
        PatternCase{"report*", {"Report.TXT", "report.txt.bak", "report.txt"}},
        PatternCase{"?.txt", {"a.txt", "b.txt", "c.txt"}}, PatternCase{"[ab].txt", {"a.txt", "b.txt"}},
        PatternCase{"[!ab].txt", {"c.txt"}}, PatternCase{"Ä*", {"Ärger.md"}}, PatternCase{"*告.DOC", {"报告.doc"}},
        // A byte that does not decode is one character, and the rest of the name still matches.
        PatternCase{"bad?name",
                    {"bad\xff"
                     "name"}},
        PatternCase{"name",
                    {"bad\xff"
                     "name"}},
        // Nothing typed finds nothing; "*" finds everything.
        PatternCase{"", {}}));

TEST_F(EntrySearchTest, StarFindsEveryEntryBelowTheFolderButNotTheFolderItself)
{
    EXPECT_EQ(
        find("*", docs),
        (std::vector<std::string>{"Report.TXT", "report.txt.bak", "Ärger.md", "报告.doc", "sub", "deep_report.txt"}));
    EXPECT_EQ(find("docs", docs), std::vector<std::string>{});
    EXPECT_EQ(find("docs", root), std::vector<std::string>{"Docs"});
}

TEST_F(EntrySearchTest, StaysInsideTheFolderAtEveryDepth)
{
    EXPECT_EQ(find("report", docs), (std::vector<std::string>{"Report.TXT", "report.txt.bak", "deep_report.txt"}));
    EXPECT_EQ(find("report", sub), std::vector<std::string>{"deep_report.txt"});
    EXPECT_EQ(find("report", other), std::vector<std::string>{"report.txt"});
    // A file has nothing below it.
    EXPECT_EQ(find("*", tree.FirstChildEntry(other)), std::vector<std::string>{});
}

TEST_F(EntrySearchTest, FollowsTheTreesCurrentOrder)
{
    tree.sortChildren([this](EntryId a, EntryId b) { return tree.name(a) > tree.name(b); });
    EXPECT_EQ(find("report"),
              (std::vector<std::string>{"report.txt", "deep_report.txt", "report.txt.bak", "Report.TXT"}));
}

TEST_F(EntrySearchTest, AWildcardThatMakesNoExpressionIsInvalidAndFindsNothing)
{
    const NamePattern pattern(QStringLiteral("a*["));
    EXPECT_FALSE(pattern.isValid());
    EXPECT_FALSE(pattern.matches(QStringLiteral("a*[")));
    EXPECT_TRUE(FindEntries(tree, NoEntry, pattern).matches.empty());
    EXPECT_TRUE(NamePattern(QString()).isValid());
    EXPECT_TRUE(NamePattern(QString()).isEmpty());
}

TEST_F(EntrySearchTest, TheCapIsCompleteOnlyWhenNoMatchWasLeftOut)
{
    const NamePattern txt(QStringLiteral("*.txt")); // seven matches
    const SearchResult capped = FindEntries(tree, NoEntry, txt, {.maxMatches = 2});
    EXPECT_EQ(namesOf(capped.matches), (std::vector<std::string>{"Report.TXT", "deep_report.txt"}));
    EXPECT_FALSE(capped.complete);

    const SearchResult exact = FindEntries(tree, NoEntry, txt, {.maxMatches = 7});
    EXPECT_EQ(exact.matches.size(), 7u);
    EXPECT_TRUE(exact.complete);
}

TEST_F(EntrySearchTest, StopsWhenAskedTo)
{
    std::stop_source stop;
    stop.request_stop();
    const SearchResult stopped =
        FindEntries(tree, NoEntry, NamePattern(QStringLiteral("*")), {.stop = stop.get_token()});
    EXPECT_TRUE(stopped.matches.empty());
    EXPECT_FALSE(stopped.complete);
}

} // namespace
} // namespace tallyvane
