// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileNames.h"
#include "platform/IniText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <optional>

namespace tallyvane {
namespace {

// Settings are a few kilobytes: anything larger is not a settings file.
constexpr std::size_t MaxFileSize = 1 << 20;

// The file's bytes, empty when there is no file; nothing when it exists but cannot be read or
// is not a regular file of a sane size. A pipe would block the read and a link to a device
// such as /dev/zero would never end, so neither is read nor, since it is no settings file,
// replaced.
std::optional<std::string> readText(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::string();
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > MaxFileSize) {
        ::close(fd);
        return std::nullopt;
    }
    // The file may grow while it is read, so the limit holds for what is read too.
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 || text.size() + static_cast<std::size_t>(count) > MaxFileSize) {
            ::close(fd);
            return std::nullopt;
        }
        if (count == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return text;
}

std::optional<int> parseInteger(std::string_view text)
{
    int base = 10;
    bool negative = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // An unsigned parse takes no sign, so a second sign or one after "0x" is refused.
    std::uint64_t magnitude = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, magnitude, base);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    const std::uint64_t limit = negative ? std::uint64_t{INT_MAX} + 1 : std::uint64_t{INT_MAX};
    if (magnitude > limit)
        return std::nullopt;
    return static_cast<int>(negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude));
}

} // namespace

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    std::optional<std::string> text = readText(m_path);
    if (!text)
        return std::string(defaultValue);
    const IniText ini(std::move(*text));
    const std::optional<std::string_view> value = ini.value(section, key);
    return std::string(value ? value->substr(0, MaxValueLength) : defaultValue);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    return parseInteger(readString(section, key, {})).value_or(defaultValue);
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    const FileError failure("Unable to write to " + m_path);
    // A file that exists but cannot be read would lose its other lines if it were replaced.
    std::optional<std::string> text = readText(m_path);
    if (!text)
        throw failure;
    IniText ini(std::move(*text));
    ini.setValue(section, key, value);

    const std::size_t slash = m_path.rfind('/');
    if (slash != std::string::npos && slash != 0 && !MakeFolders(m_path.substr(0, slash)))
        throw failure;
    try {
        AtomicFile file(m_path);
        file.write(ini.text());
        file.commit();
    } catch (const FileError&) {
        throw failure;
    }
}

} // namespace tallyvane
