// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <cstdlib>
#include <cstring>

namespace tallyvane {
namespace {

constexpr std::size_t BufferSize = 1 << 16;

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

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

AtomicFile::AtomicFile(const std::string& path) : m_target(path)
{
    // Replace what a link points to, not the link itself.
    struct stat st;
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            m_target = real;
            std::free(real);
        }
    }
    if (exists && !S_ISREG(st.st_mode)) {
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (m_fd < 0)
            throwCannotCreate(path, errno);
        return;
    }

    std::string name = m_target.substr(m_target.rfind('/') + 1);
    m_temporary = folderOf(m_target) + "/." + name + ".XXXXXX";
    m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        m_temporary.clear();
        throwCannotCreate(path, error);
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~currentUmask());
    ::fchmod(m_fd, mode);
    m_buffer.reserve(BufferSize);
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

void AtomicFile::commit()
{
    flush();
    if (m_temporary.empty()) {
        m_committed = true;
        return;
    }
    // The data must be on the disk before the rename makes it the file's content.
    if (::fsync(m_fd) != 0)
        throwWriteError();
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        throwWriteError();
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        throwCannotCreate(m_target, errno);
    m_committed = true;
}

} // namespace tallyvane
