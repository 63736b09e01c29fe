// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tallyvane {

enum class FileKind { File, Folder, Symlink, BlockDevice, CharacterDevice, Fifo, Socket, Other };

// What a properties dialog shows of one path, as the file system tells it now.
struct FileFacts {
    FileKind kind = FileKind::Other;
    std::int64_t size = 0;       // the apparent length; a link's is the length of its target text
    std::int64_t sizeOnDisk = 0; // the blocks allocated, which a sparse file has fewer of
    std::chrono::system_clock::time_point modified;
    std::string owner;       // the user's name, or the number when it has no name
    std::string group;       // likewise
    std::string permissions; // as a listing shows them: "rwxr-xr-x"
};

class FileFactsSource {
public:
    virtual ~FileFactsSource() = default;
    // The facts of path itself, a final link not followed; none when nothing can be found there.
    virtual std::optional<FileFacts> factsOf(const std::string& path) = 0;
};

class PosixFileFacts final : public FileFactsSource {
public:
    std::optional<FileFacts> factsOf(const std::string& path) override;
};

// The nine permission letters of a mode, with the set-user, set-group and sticky bits shown in
// the execute places ("s", "t"; upper case where the execute bit beneath is not set).
std::string PermissionText(unsigned mode);

} // namespace tallyvane
