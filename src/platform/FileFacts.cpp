// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileFacts.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

namespace tallyvane {
namespace {

FileKind kindOf(mode_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG:
        return FileKind::File;
    case S_IFDIR:
        return FileKind::Folder;
    case S_IFLNK:
        return FileKind::Symlink;
    case S_IFBLK:
        return FileKind::BlockDevice;
    case S_IFCHR:
        return FileKind::CharacterDevice;
    case S_IFIFO:
        return FileKind::Fifo;
    case S_IFSOCK:
        return FileKind::Socket;
    default:
        return FileKind::Other;
    }
}

// The name lookups want a buffer of a size nobody can tell in advance: grow it until it fits.
template <typename Record, typename Id, typename Lookup>
std::string nameOf(Id id, Lookup lookup, char* Record::*name)
{
    std::vector<char> buffer(1024);
    Record record;
    Record* found = nullptr;
    int error;
    while ((error = lookup(id, &record, buffer.data(), buffer.size(), &found)) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (error == 0 && found)
        return record.*name;
    return std::to_string(id);
}

std::string userName(uid_t uid)
{
    return nameOf<passwd>(uid, ::getpwuid_r, &passwd::pw_name);
}

std::string groupName(gid_t gid)
{
    return nameOf<group>(gid, ::getgrgid_r, &group::gr_name);
}

} // namespace

std::optional<FileFacts> PosixFileFacts::factsOf(const std::string& path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0)
        return std::nullopt;
    FileFacts facts;
    facts.kind = kindOf(status.st_mode);
    facts.size = status.st_size;
    facts.sizeOnDisk = static_cast<std::int64_t>(status.st_blocks) * 512;
    facts.modified =
        std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(status.st_mtim.tv_sec) + std::chrono::nanoseconds(status.st_mtim.tv_nsec)));
    facts.owner = userName(status.st_uid);
    facts.group = groupName(status.st_gid);
    facts.permissions = PermissionText(status.st_mode);
    return facts;
}

std::string PermissionText(unsigned mode)
{
    // Each class's bits, with the special bit that shares its execute place and its letters
    // with and without the execute bit.
    struct Class {
        unsigned read, write, execute, special;
        char specialExecutable, specialOnly;
    };
    static constexpr Class classes[] = {
        {S_IRUSR, S_IWUSR, S_IXUSR, S_ISUID, 's', 'S'},
        {S_IRGRP, S_IWGRP, S_IXGRP, S_ISGID, 's', 'S'},
        {S_IROTH, S_IWOTH, S_IXOTH, S_ISVTX, 't', 'T'},
    };
    std::string text;
    for (const Class& c : classes) {
        text += (mode & c.read) ? 'r' : '-';
        text += (mode & c.write) ? 'w' : '-';
        const bool execute = mode & c.execute;
        if (mode & c.special)
            text += execute ? c.specialExecutable : c.specialOnly;
        else
            text += execute ? 'x' : '-';
    }
    return text;
}

} // namespace tallyvane
