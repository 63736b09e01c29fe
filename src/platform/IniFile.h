// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace tallyvane {

// A settings file of "[Section]" lines followed by "Key=Value" lines. Section and key names
// match regardless of letter case (ASCII), and the first match wins: a key of a section that
// appears twice is read and written in the section's first appearance. Lines that are neither
// a section nor a key (comments, blank lines, lines without "=") are kept but never match.
//
// Every call goes to the file itself, so nothing read is cached between calls.
class IniFile {
public:
    // The longest value read: the rest of a longer value is cut off.
    static constexpr std::size_t MaxValueLength = 2047;

    explicit IniFile(std::string path) : m_path(std::move(path)) {}

    const std::string& path() const { return m_path; }

    // The value without surrounding blanks, or defaultValue when the file, the section or the
    // key is missing or the file cannot be read. Only a regular file of at most 1 MiB is
    // read: anything else (a pipe, a device, a huge file) counts as missing. Reading never
    // creates the file.
    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;

    // The value as a decimal integer (with an optional sign) or as a hexadecimal one after
    // "0x"; defaultValue when it is missing, empty, anything else, or beyond an int.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;

    // Sets the value of a key, adding the key to the end of its section and a missing section
    // to the end of the file, and creating the file and its missing parent folders. Every
    // other byte of the file stays as it was; added lines end as the file's first line does
    // (LF in a new file). The file is replaced atomically, so a failure leaves it untouched.
    // Throws FileError "Unable to write to <path>" when the file cannot be read or written,
    // or is not one that is read (which is never replaced).
    void writeString(std::string_view section, std::string_view key, std::string_view value);

private:
    std::string m_path;
};

} // namespace tallyvane
