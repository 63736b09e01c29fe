// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <QRegularExpression>
#include <QString>
#include <QStringMatcher>

#include <cstddef>
#include <limits>
#include <optional>
#include <stop_token>
#include <vector>

namespace tallyvane {

// A name pattern as the user types it. Text holding a wildcard ("*", "?" or a bracketed set
// such as "[ab]") has to match the whole name; any other text may match anywhere in it. Case
// is ignored, beyond ASCII too.
//
// An empty pattern matches nothing: "*" asks for every entry, and an Enter pressed in an empty
// field does not list a whole volume.
class NamePattern {
public:
    explicit NamePattern(const QString& text);

    bool isEmpty() const { return m_empty; }
    // False for a wildcard that makes no valid expression, such as "a*[" with its set never
    // closed. Such a pattern matches nothing.
    bool isValid() const { return !m_wildcard || m_wildcard->isValid(); }
    bool matches(const QString& name) const;

private:
    bool m_empty;
    QStringMatcher m_substring;
    std::optional<QRegularExpression> m_wildcard;
};

struct SearchLimits {
    std::size_t maxMatches = std::numeric_limits<std::size_t>::max();
    // Checked before every entry, so a search on another thread can be called off.
    std::stop_token stop{};
};

struct SearchResult {
    std::vector<EntryId> matches;
    // False when the search ended early: on request, or on finding a match beyond the cap.
    bool complete = true;
};

// The entries below folder (NoEntry: the whole tree), at every depth and inside collapsed
// folders too, whose names match pattern, in the tree's current order.
SearchResult FindEntries(const EntryTree& tree, EntryId folder, const NamePattern& pattern,
                         const SearchLimits& limits = {});

} // namespace tallyvane
