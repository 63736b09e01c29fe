// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FixtureTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace tallyvane::test {
namespace {

void check(bool ok, const std::string& what)
{
    if (!ok)
        throw std::runtime_error("fixture: cannot " + what);
}

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

FixtureTree::FixtureTree() : m_path(m_directory.path().toStdString())
{
    check(m_directory.isValid(), "make a temporary folder");
}

FixtureTree::FixtureTree(const QString& base) : m_directory(base + QStringLiteral("/tallyvane-test-XXXXXX"))
{
    if (!m_directory.isValid())
        m_directory = QTemporaryDir();
    check(m_directory.isValid(), "make a temporary folder");
    m_path = m_directory.path().toStdString();
}

FixtureTree::~FixtureTree()
{
    // QTemporaryDir removes by path, which fails past the system's path length: take the deep
    // chains down from the bottom first, one folder at a time.
    for (const Chain& chain : m_chains) {
        int fd = ::open(pathOf(chain.relative).c_str(), FolderFlags);
        int depth = 0;
        for (int child; fd >= 0 && (child = ::openat(fd, chain.name.c_str(), FolderFlags)) >= 0; ++depth) {
            ::close(fd);
            fd = child;
        }
        if (fd >= 0 && !chain.bottomFile.empty())
            ::unlinkat(fd, chain.bottomFile.c_str(), 0);
        for (; fd >= 0 && depth > 0; --depth) {
            const int parent = ::openat(fd, "..", FolderFlags);
            ::close(fd);
            fd = parent;
            if (fd >= 0)
                ::unlinkat(fd, chain.name.c_str(), AT_REMOVEDIR);
        }
        if (fd >= 0)
            ::close(fd);
    }
}

void FixtureTree::makeFolder(const std::string& relative)
{
    check(::mkdir(pathOf(relative).c_str(), 0755) == 0, "make folder " + relative);
}

void FixtureTree::makeFile(const std::string& relative, std::int64_t length)
{
    const int fd = ::open(pathOf(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    check(fd >= 0, "make file " + relative);
    const bool sized = ::ftruncate(fd, length) == 0;
    ::close(fd);
    check(sized, "set the length of " + relative);
}

void FixtureTree::makeSymlink(const std::string& relative, const std::string& target)
{
    check(::symlink(target.c_str(), pathOf(relative).c_str()) == 0, "make link " + relative);
}

void FixtureTree::makeChain(const std::string& relative, const std::string& name, int depth,
                            const std::string& bottomFile, std::int64_t bottomLength)
{
    int fd = ::open(pathOf(relative).c_str(), FolderFlags);
    check(fd >= 0, "open " + relative);
    m_chains.push_back({relative, name, bottomFile});
    for (int level = 0; level < depth; ++level) {
        const bool made = ::mkdirat(fd, name.c_str(), 0755) == 0;
        const int child = made ? ::openat(fd, name.c_str(), FolderFlags) : -1;
        ::close(fd);
        check(child >= 0, "make a chain folder");
        fd = child;
    }
    if (!bottomFile.empty()) {
        const int file = ::openat(fd, bottomFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        check(file >= 0 && ::ftruncate(file, bottomLength) == 0, "make the chain's bottom file");
        ::close(file);
    }
    ::close(fd);
}

} // namespace tallyvane::test
