// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/ExcludePatterns.h"

#include <fnmatch.h>

namespace tallyvane {
namespace {

// The characters that fnmatch does not take as themselves (a backslash escapes the next one).
constexpr std::string_view Special = "*?[\\";

bool isSpecial(unsigned char c)
{
    return Special.find(static_cast<char>(c)) != std::string_view::npos;
}

bool isLiteral(std::string_view text)
{
    return text.find_first_of(Special) == std::string_view::npos;
}

enum class Place { Start, End, Anywhere };

// Whether text holds one of the fixed parts, kept by their length, at the place given.
template <typename SetsByLength>
bool holdsFixedPart(const SetsByLength& byLength, std::string_view text, Place place)
{
    for (const auto& [length, parts] : byLength) {
        if (length > text.size())
            break;
        const std::size_t lastStart = text.size() - length;
        if (place == Place::Start && parts.contains(text.substr(0, length)))
            return true;
        if (place == Place::End && parts.contains(text.substr(lastStart)))
            return true;
        for (std::size_t start = 0; place == Place::Anywhere && start <= lastStart; ++start) {
            if (parts.contains(text.substr(start, length)))
                return true;
        }
    }
    return false;
}

} // namespace

ExcludePatterns::ExcludePatterns(const std::vector<std::string>& patterns)
{
    for (std::string text : patterns) {
        const bool foldersOnly = text.size() > 1 && text.back() == '/';
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        const bool byPath = text.find('/') != std::string::npos;
        if (byPath) {
            while (!text.empty() && text.front() == '/')
                text.erase(0, 1);
        }
        if (text.empty() || text == "/")
            continue; // a pattern for nothing, or for the scanned folder itself
        m_needsPaths = m_needsPaths || byPath;
        m_empty = false;
        (byPath ? m_paths : m_names)[foldersOnly ? 1 : 0].add(std::move(text));
    }
}

void ExcludePatterns::Group::add(std::string pattern)
{
    const std::string_view text = pattern;
    if (isLiteral(text)) {
        m_literals.insert(std::move(pattern));
        return;
    }
    // In a path "*" stops at a "/", which a comparison of the fixed part would not see.
    if (!m_byPath && text.front() == '*' && isLiteral(text.substr(1))) {
        m_suffixes[text.size() - 1].emplace(text.substr(1));
        return;
    }
    if (!m_byPath && text.size() > 2 && text.front() == '*' && text.back() == '*'
        && isLiteral(text.substr(1, text.size() - 2))) {
        m_infixes[text.size() - 2].emplace(text.substr(1, text.size() - 2));
        return;
    }
    if (!m_byPath && text.back() == '*' && isLiteral(text.substr(0, text.size() - 1))) {
        m_prefixes[text.size() - 1].emplace(text.substr(0, text.size() - 1));
        return;
    }
    if (m_byPath) {
        const std::string_view firstFolder = text.substr(0, text.find('/'));
        if (isLiteral(firstFolder)) {
            m_byFirstFolder[std::string(firstFolder)].push_back(std::move(pattern));
            return;
        }
    }
    // A byte that stands for itself at either end must be there in whatever the pattern matches.
    const unsigned char last = static_cast<unsigned char>(text.back());
    const unsigned char first = static_cast<unsigned char>(text.front());
    if (!isSpecial(last) && last != ']' && text[text.size() - 2] != '\\')
        m_byLastByte[last].push_back(std::move(pattern));
    else if (!isSpecial(first))
        m_byFirstByte[first].push_back(std::move(pattern));
    else
        m_others.push_back(std::move(pattern));
}

bool ExcludePatterns::Group::matches(std::string_view text, std::string& subject) const
{
    if ((!m_literals.empty() && m_literals.contains(text)) || holdsFixedPart(m_suffixes, text, Place::End)
        || holdsFixedPart(m_prefixes, text, Place::Start) || holdsFixedPart(m_infixes, text, Place::Anywhere))
        return true;
    const std::vector<std::string>* inFirstFolder = nullptr;
    if (!m_byFirstFolder.empty()) {
        const auto found = m_byFirstFolder.find(text.substr(0, text.find('/')));
        if (found != m_byFirstFolder.end())
            inFirstFolder = &found->second;
    }
    const std::vector<std::string>* candidates[] = {
        inFirstFolder,
        text.empty() ? nullptr : &m_byLastByte[static_cast<unsigned char>(text.back())],
        text.empty() ? nullptr : &m_byFirstByte[static_cast<unsigned char>(text.front())],
        &m_others,
    };
    const int flags = m_byPath ? FNM_PATHNAME : 0;
    bool assigned = false;
    for (const std::vector<std::string>* patterns : candidates) {
        if (!patterns)
            continue;
        for (const std::string& pattern : *patterns) {
            if (!assigned) {
                subject.assign(text);
                assigned = true;
            }
            if (::fnmatch(pattern.c_str(), subject.c_str(), flags) == 0)
                return true;
        }
    }
    return false;
}

bool ExcludePatterns::excludes(std::string_view name, std::string_view relativePath, bool folder) const
{
    if (m_names[0].matches(name, m_subject) || (folder && m_names[1].matches(name, m_subject)))
        return true;
    return m_needsPaths
        && (m_paths[0].matches(relativePath, m_subject) || (folder && m_paths[1].matches(relativePath, m_subject)));
}

} // namespace tallyvane
