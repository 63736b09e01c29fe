// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MountTable.h"

#include <sys/sysmacros.h>

#include <array>
#include <fstream>
#include <sstream>

namespace tallyvane {
namespace {

// mountinfo writes blanks, tabs, newlines and backslashes in paths as \ooo octal escapes.
std::string unescape(std::string_view field)
{
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3'
            && field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            text += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        if (end > start)
            fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

bool parseDevice(std::string_view field, dev_t& device)
{
    unsigned major = 0;
    unsigned minor = 0;
    char colon = 0;
    std::istringstream in{std::string(field)};
    if (!(in >> major >> colon >> minor) || colon != ':')
        return false;
    device = makedev(major, minor);
    return true;
}

bool isPrefixPath(std::string_view prefix, std::string_view path)
{
    if (prefix == "/")
        return true;
    return path.starts_with(prefix) && (path.size() == prefix.size() || path[prefix.size()] == '/');
}

} // namespace

MountTable MountTable::readSystem()
{
    std::ifstream file("/proc/self/mountinfo");
    std::stringstream text;
    text << file.rdbuf();
    return parse(text.str());
}

MountTable MountTable::parse(std::string_view mountInfo)
{
    MountTable table;
    while (!mountInfo.empty()) {
        const std::size_t end = std::min(mountInfo.find('\n'), mountInfo.size());
        const std::vector<std::string_view> fields = splitFields(mountInfo.substr(0, end));
        mountInfo.remove_prefix(std::min(end + 1, mountInfo.size()));

        // ID, parent ID, major:minor, root, mount point, options, optional fields..., "-",
        // file system type, source, super options.
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        Mount mount;
        if (dash + 2 >= fields.size() || !parseDevice(fields[2], mount.device))
            continue;
        mount.mountPoint = unescape(fields[4]);
        mount.fileSystemType = unescape(fields[dash + 1]);
        mount.source = unescape(fields[dash + 2]);
        table.m_mounts.push_back(std::move(mount));
    }
    return table;
}

const Mount* MountTable::byDevice(dev_t device) const&
{
    for (auto it = m_mounts.rbegin(); it != m_mounts.rend(); ++it) {
        if (it->device == device)
            return &*it;
    }
    return nullptr;
}

const Mount* MountTable::containing(std::string_view canonicalPath) const&
{
    const Mount* best = nullptr;
    for (const Mount& mount : m_mounts) {
        // Equal lengths: the later mount is on top.
        if (isPrefixPath(mount.mountPoint, canonicalPath)
            && (!best || mount.mountPoint.size() >= best->mountPoint.size()))
            best = &mount;
    }
    return best;
}

bool MountTable::isPseudoFileSystem(std::string_view type)
{
    static constexpr std::array<std::string_view, 18> pseudo{
        "proc",   "sysfs", "devtmpfs", "devpts",  "cgroup", "cgroup2",   "debugfs",     "tracefs", "securityfs",
        "pstore", "bpf",   "configfs", "fusectl", "mqueue", "hugetlbfs", "binfmt_misc", "autofs",  "efivarfs",
    };
    for (std::string_view name : pseudo) {
        if (name == type)
            return true;
    }
    return false;
}

} // namespace tallyvane
