// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <optional>
#include <random>
#include <utility>

namespace tallyvane {
namespace {

constexpr std::size_t BufferSize = 1 << 16;
// As many links as the kernel follows in one path before it gives up with ELOOP.
constexpr int MaxLinks = 40;

[[noreturn]] void throwCannotCreate(const std::string& path, int error)
{
    throw FileError("Cannot create file \"" + path + "\". " + std::strerror(error));
}

[[noreturn]] void throwWriteError()
{
    throw FileError("Stream write error");
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Links in /proc (/dev/stdout and /dev/fd/N lead there) name open descriptors, not paths.
bool isInProc(const std::string& folder)
{
    struct statfs info;
    return ::statfs(folder.c_str(), &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

// The number of the descriptor of this process that a link named name in folder stands for.
std::optional<int> ownDescriptor(const std::string& folder, const std::string& name)
{
    int number = -1;
    const char* const end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data(), end, number);
    if (error != std::errc() || stop != end || number < 0)
        return std::nullopt;
    struct stat given;
    struct stat own;
    if (::stat(folder.c_str(), &given) != 0 || ::stat("/proc/self/fd", &own) != 0 || given.st_dev != own.st_dev
        || given.st_ino != own.st_ino)
        return std::nullopt;
    return number;
}

// A hidden name beside the target that nothing else uses yet is very likely free.
std::string temporaryName(const std::string& target)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::minstd_rand random(std::random_device{}());
    std::string name = folderOf(target) + "/." + nameOf(target) + ".";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    for (int i = 0; i < 6; ++i)
        name += Letters[pick(random)];
    return name;
}

// Gives the unnamed file open as fd the name path; fails with EEXIST when path exists.
bool linkUnnamed(int fd, const std::string& path)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    // Without /proc, only a process allowed to search any folder can link by descriptor.
    return ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;
}

} // namespace

AtomicFile::AtomicFile(const std::string& path) : m_path(path), m_target(path)
{
    // Follow links one at a time, so that a dangling link leads to the file to create and a
    // link into /proc is seen for the descriptor it stands for.
    struct stat st;
    for (int links = 0;; ++links) {
        if (::lstat(m_target.c_str(), &st) != 0) {
            if (errno != ENOENT)
                throwCannotCreate(path, errno);
            openTemporary(false, st);
            return;
        }
        if (!S_ISLNK(st.st_mode))
            break;
        if (links == MaxLinks)
            throwCannotCreate(path, ELOOP);
        const std::string folder = folderOf(m_target);
        if (isInProc(folder)) {
            if (const std::optional<int> number = ownDescriptor(folder, nameOf(m_target))) {
                m_fd = ::fcntl(*number, F_DUPFD_CLOEXEC, 0);
                if (m_fd < 0)
                    throwCannotCreate(path, errno);
                const int flags = ::fcntl(m_fd, F_GETFL);
                if ((flags & O_ACCMODE) == O_RDONLY)
                    throwCannotCreate(path, EBADF);
                return;
            }
            // Another process's descriptor: reopening it starts at the beginning, so a file
            // behind it is added to rather than overwritten.
            struct stat behind;
            const bool regular = ::stat(m_target.c_str(), &behind) == 0 && S_ISREG(behind.st_mode);
            openDirectly(m_target, regular ? O_APPEND : 0);
            return;
        }
        std::string next(PATH_MAX, '\0');
        const ssize_t length = ::readlink(m_target.c_str(), next.data(), next.size());
        if (length < 0)
            throwCannotCreate(path, errno);
        next.resize(static_cast<std::size_t>(length));
        m_target = next.starts_with('/') ? next : folderOf(m_target) + "/" + next;
    }
    if (!S_ISREG(st.st_mode)) {
        openDirectly(m_target, 0);
        return;
    }
    // Replacing needs only the folder's permission; the file's own protection decides.
    const int probe = ::open(m_target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (probe < 0)
        throwCannotCreate(path, errno);
    ::close(probe);
    openTemporary(true, st);
}

void AtomicFile::openDirectly(const std::string& path, int flags)
{
    m_way = Way::Direct;
    m_fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | flags);
    if (m_fd < 0)
        throwCannotCreate(m_path, errno);
}

void AtomicFile::openTemporary(bool exists, const struct stat& replaced)
{
    m_targetExists = exists;
    m_buffer.reserve(BufferSize);
    const std::string folder = folderOf(m_target);
    // The unnamed file gets the new file's mode from the umask when it is opened.
    if (::access("/proc/self/fd", X_OK) == 0)
        m_fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd >= 0) {
        m_way = Way::UnnamedTemporary;
    } else {
        // The file system has no unnamed files.
        m_way = Way::NamedTemporary;
        m_temporary = folder + "/." + nameOf(m_target) + ".XXXXXX";
        m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
        if (m_fd < 0) {
            const int error = errno;
            m_temporary.clear();
            throwCannotCreate(m_path, error);
        }
        if (!exists)
            ::fchmod(m_fd, 0666 & ~currentUmask());
    }
    if (!exists)
        return;
    struct stat made;
    if (::fstat(m_fd, &made) == 0 && (made.st_uid != replaced.st_uid || made.st_gid != replaced.st_gid)) {
        // Only a privileged process may give a file away; a user may still keep its group.
        if (::fchown(m_fd, replaced.st_uid, replaced.st_gid) != 0
            && ::fchown(m_fd, static_cast<uid_t>(-1), replaced.st_gid) != 0) {
            // Neither is allowed: the new file is the user's, in the user's group.
        }
    }
    // After the owner, since changing it clears the set-user-ID and set-group-ID bits.
    ::fchmod(m_fd, replaced.st_mode & 07777);
}

AtomicFile::~AtomicFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed && !m_temporary.empty())
        ::unlink(m_temporary.c_str());
}

void AtomicFile::write(std::string_view bytes)
{
    if (m_buffer.size() + bytes.size() > BufferSize)
        flush();
    if (bytes.size() >= BufferSize) {
        m_buffer.assign(bytes);
        flush();
        return;
    }
    m_buffer += bytes;
}

void AtomicFile::flush()
{
    std::string_view rest = m_buffer;
    while (!rest.empty()) {
        const ssize_t written = ::write(m_fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throwWriteError();
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    m_buffer.clear();
}

// Gives the unnamed temporary file a name: the target's own when there is no file to replace,
// else a hidden one beside it that commit() renames over the target.
void AtomicFile::linkIntoPlace()
{
    if (!m_targetExists) {
        if (linkUnnamed(m_fd, m_target))
            return;
        if (errno != EEXIST)
            throwCannotCreate(m_target, errno);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temporaryName(m_target);
        if (linkUnnamed(m_fd, name)) {
            m_temporary = std::move(name);
            return;
        }
        if (errno != EEXIST)
            throwCannotCreate(m_target, errno);
    }
    throwCannotCreate(m_target, EEXIST);
}

void AtomicFile::commit()
{
    flush();
    if (m_way == Way::Direct) {
        m_committed = true;
        return;
    }
    // The data must be on the disk before a name makes it the file's content.
    if (::fsync(m_fd) != 0)
        throwWriteError();
    if (m_way == Way::UnnamedTemporary)
        linkIntoPlace();
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        throwWriteError();
    if (!m_temporary.empty() && ::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        throwCannotCreate(m_target, errno);
    m_committed = true;
}

} // namespace tallyvane
