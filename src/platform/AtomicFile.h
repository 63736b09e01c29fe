// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tallyvane {

// A failure to create or write a file, with the text the user is shown.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes a file so that it is either replaced whole or not at all: the bytes go to a temporary
// file beside it, which commit() moves into place. Until then, and whenever something fails,
// an existing file keeps its old content. A target that exists and is not a regular file (a
// terminal, a pipe, /dev/null) is written directly, since there is nothing to replace.
class AtomicFile {
public:
    // Throws FileError "Cannot create file "path". reason" when the file cannot be created.
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Throws FileError "Stream write error" when the bytes cannot be written.
    void write(std::string_view bytes);
    // Makes the written bytes the file's content. Throws FileError on failure.
    void commit();

private:
    void flush();

    std::string m_target;
    std::string m_temporary; // empty when writing the target directly
    int m_fd = -1;
    std::string m_buffer;
    bool m_committed = false;
};

} // namespace tallyvane
