// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntrySearch.h"

#include "platform/FileNames.h"

namespace tallyvane {
namespace {

// A "[" only opens a set when a "]" closes it later, so that a name like "a[1" is still
// searched for as it stands.
bool hasWildcard(const QString& text)
{
    if (text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?')))
        return true;
    const qsizetype open = text.indexOf(QLatin1Char('['));
    return open >= 0 && text.indexOf(QLatin1Char(']'), open + 1) > open;
}

} // namespace

NamePattern::NamePattern(const QString& text) : m_empty(text.isEmpty()), m_substring(text, Qt::CaseInsensitive)
{
    if (hasWildcard(text))
        m_wildcard = QRegularExpression::fromWildcard(text, Qt::CaseInsensitive);
}

bool NamePattern::matches(const QString& name) const
{
    if (m_empty)
        return false;
    if (m_wildcard)
        return m_wildcard->match(name).hasMatch();
    return m_substring.indexIn(name) >= 0;
}

SearchResult FindEntries(const EntryTree& tree, EntryId folder, const NamePattern& pattern, const SearchLimits& limits)
{
    SearchResult result;
    if (pattern.isEmpty() || !pattern.isValid())
        return result;
    const EntryId first = folder == NoEntry ? tree.FirstEntry() : tree.FirstChildEntry(folder);
    for (EntryId e = first; e != NoEntry; e = tree.NextEntryWithin(e, folder)) {
        if (limits.stop.stop_requested()) {
            result.complete = false;
            break;
        }
        if (!pattern.matches(DecodeFileName(tree.name(e))))
            continue;
        if (result.matches.size() == limits.maxMatches) {
            result.complete = false;
            break;
        }
        result.matches.push_back(e);
    }
    return result;
}

} // namespace tallyvane
