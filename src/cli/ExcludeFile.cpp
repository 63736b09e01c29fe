// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ExcludeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tallyvane {
namespace {

// Reads fd to its end, or to one byte past the bound so that a longer file shows; false with
// errno set when a read fails.
bool readBounded(int fd, std::string& text)
{
    text.resize(MaxExcludeFileBytes + 1);
    std::size_t filled = 0;
    while (filled < text.size()) {
        const ssize_t got = ::read(fd, text.data() + filled, text.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    text.resize(filled);
    return true;
}

void appendLines(std::string_view text, std::vector<std::string>& patterns)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!line.empty())
            patterns.emplace_back(line);
    }
}

} // namespace

std::string ReadExcludeFile(const std::string& path, std::vector<std::string>& patterns)
{
    const auto failure = [&path](const std::string& reason) {
        return "cannot read the exclude file '" + path + "': " + reason;
    };
    const std::string tooLarge = "larger than " + std::to_string(MaxExcludeFileBytes / 1024 / 1024) + " MiB";
    const bool standardInput = path == "-";
    int fd = STDIN_FILENO;
    if (!standardInput) {
        // Not blocking: a FIFO opens at once and is then refused below, writer or not.
        fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return failure(std::strerror(errno));
        struct stat status {};
        std::string reason;
        if (::fstat(fd, &status) != 0)
            reason = std::strerror(errno);
        else if (!S_ISREG(status.st_mode))
            reason = "not a regular file";
        else if (static_cast<std::uint64_t>(status.st_size) > MaxExcludeFileBytes)
            reason = tooLarge;
        if (!reason.empty()) {
            ::close(fd);
            return failure(reason);
        }
    }
    std::string text;
    const bool read = readBounded(fd, text);
    const int readError = errno;
    if (!standardInput)
        ::close(fd);
    if (!read)
        return failure(std::strerror(readError));
    if (text.size() > MaxExcludeFileBytes)
        return failure(tooLarge);
    appendLines(text, patterns);
    return {};
}

} // namespace tallyvane
