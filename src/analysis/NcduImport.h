// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "analysis/FolderScan.h"
#include "analysis/NameArena.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

namespace tallyvane {

// Where an import's bytes come from, a block at a time.
class ImportInput {
public:
    virtual ~ImportInput() = default;
    // Fills up to capacity bytes of buffer and returns how many; 0 at the end of the input.
    // Throws ImportError when the input cannot be read.
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
};

// The file at path, or standard input for "-".
class FileImportInput final : public ImportInput {
public:
    explicit FileImportInput(const std::string& path);
    ~FileImportInput() override;
    FileImportInput(const FileImportInput&) = delete;
    FileImportInput& operator=(const FileImportInput&) = delete;

    std::size_t read(char* buffer, std::size_t capacity) override;

private:
    std::FILE* m_file;
    bool m_ownsFile;
};

// Why an import failed, with the offset of the byte where the reader stopped (0 for an input
// that could not be opened or read).
class ImportError : public std::runtime_error {
public:
    ImportError(const std::string& reason, std::uint64_t offset);
    const std::string& reason() const { return m_reason; }
    std::uint64_t offset() const { return m_offset; }

private:
    std::string m_reason;
    std::uint64_t m_offset;
};

// What an ncdu export says about itself besides its tree.
struct ImportedScan {
    int majorVersion = 0;
    int minorVersion = 0;
    std::string rootPath;                  // the top-level folder's name as written: bytes
    std::string programName;               // metadata "progname", empty when absent
    std::string programVersion;            // metadata "progver", empty when absent
    std::optional<std::int64_t> timestamp; // metadata "timestamp": seconds since 1970
};

struct ImportLimits {
    // A longer string (a name, a key, a metadata text) is an error, found before more than this
    // many bytes of it are held.
    std::size_t maxStringLength = NameArena::MaxNameLength;
};

// Reads an export in the ncdu JSON format (major version 1, any minor version: what ncdu 1.9
// to 2.x and gdu write) into tree, which must be empty, as one top-level folder.
//
// Sizes keep the scan's meaning: a file counts its apparent size ("asize", else "dsize" when it
// has only that), every hard link in full, and a folder's size is the sum of what is below it;
// a folder's own size in the file is not added. Names are taken byte for byte: raw bytes that
// are not UTF-8 pass through, and "\u" escapes become UTF-8 (a lone surrogate as its three-byte
// form, so nothing is dropped). Unknown keys and metadata are skipped. The reader keeps its own
// stack, so no depth of nesting can exhaust the call stack.
//
// host is told of every folder and entry as the scan's host is, and may stop the import: the
// folders then hold the totals of what was read, as after a stopped scan. Anything that does
// not follow the format throws ImportError naming the byte offset, and the tree may then hold
// a partial import the caller must drop.
ImportedScan ImportNcdu(ImportInput& input, EntryTree& tree, ScanHost& host, ImportLimits limits = {});

} // namespace tallyvane
