// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <string>

namespace tallyvane::test {

// A folder tree made by a test in a fresh temporary folder and removed with it. Paths given to
// the make functions are relative to the top; parent folders must exist.
class FixtureTree {
public:
    FixtureTree();
    // Makes the tree below base, for instance in memory (/dev/shm) for trees too large to make
    // quickly on a disk; falls back to the usual temporary folder when base is unusable.
    explicit FixtureTree(const QString& base);
    ~FixtureTree();

    // The top folder, absolute, without a trailing separator.
    const std::string& path() const { return m_path; }
    std::string pathOf(const std::string& relative) const { return m_path + "/" + relative; }

    void makeFolder(const std::string& relative);
    // A file of the given length; the length is set, not written, so large files are sparse.
    void makeFile(const std::string& relative, std::int64_t length);
    void makeSymlink(const std::string& relative, const std::string& target);

    // A chain of `depth` nested folders named `name` below relative, made without ever
    // building a path longer than a name, with a file `bottomFile` of bottomLength bytes in the
    // deepest folder unless bottomFile is empty. The fixture removes it the same way.
    void makeChain(const std::string& relative, const std::string& name, int depth, const std::string& bottomFile = {},
                   std::int64_t bottomLength = 0);

private:
    QTemporaryDir m_directory;
    std::string m_path;
    struct Chain {
        std::string relative;
        std::string name;
        std::string bottomFile;
    };
    std::vector<Chain> m_chains;
};

} // namespace tallyvane::test
