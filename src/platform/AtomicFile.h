// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>

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
// an existing file keeps its old content. Where the file system allows it the temporary file
// has no name until commit(), so a process killed while writing leaves nothing behind.
//
// A link, dangling or not, is followed to its target. Only a regular file is replaced: a
// target that is anything else (a terminal, a pipe, /dev/null), or a name of an open
// descriptor (/dev/stdout, /dev/fd/N), is written directly, since replacing what a descriptor
// leads to would lose what was written through it before (a log opened for appending).
//
// A replaced file keeps its mode and, as far as the user may set them, its owner and group,
// and is replaced only when the user may write it.
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
    // True when the target itself is written (a pipe, a terminal): nothing to undo then.
    bool writesInPlace() const { return m_way == Way::Direct; }

private:
    enum class Way {
        Direct,           // the target itself is written
        UnnamedTemporary, // an O_TMPFILE file, given a name at commit()
        NamedTemporary,   // a hidden file beside the target, renamed over it at commit()
    };

    void openDirectly(const std::string& path, int flags);
    void openTemporary(bool exists, const struct ::stat& replaced);
    void flush();
    void linkIntoPlace();

    std::string m_path; // as given, for messages
    std::string m_target;
    Way m_way = Way::Direct;
    bool m_targetExists = false;
    std::string m_temporary; // the named temporary file; empty while it has no name
    int m_fd = -1;
    std::string m_buffer;
    bool m_committed = false;
};

} // namespace tallyvane
