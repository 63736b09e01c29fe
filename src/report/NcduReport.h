// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "report/ReportSink.h"

#include <cstdint>
#include <string>

namespace tallyvane {

// The metadata object of an ncdu export.
struct NcduMetadata {
    std::string programName;
    std::string programVersion;
    std::int64_t timestamp = 0; // seconds since 1970
};

// Writes tree's top-level folder and everything below it, in the tree's current order, as an
// ncdu JSON export of format version 1.2, entry by entry into sink. Line ends are LF, as the
// format's readers expect; no line-end conversion may be put in between.
//
// Names are written as their bytes: a quote, a backslash and the control characters are
// escaped as JSON requires (DEL as well, which ncdu 1.x wants escaped), every other byte is
// written as it is, so a name that is not valid
// UTF-8 comes back unchanged (ncdu writes names the same way). Files get "asize", their apparent
// size; folders get no size of their own, since a folder's size is the sum of what is below it.
// The scan does not learn allocated sizes, nor which folders could not be read, so "dsize" and
// "read_error" are not written. Symbolic links are marked "notreg". A file with several links
// of a scan that counted them once gets "dev", "ino", "nlink" and "hlnkc" and its own length
// at every link, the format's way to have readers count it once. What the scan left out is
// marked "excluded": "pattern" for an exclude pattern, "otherfs" for a folder on another file
// system, which stays an (empty) folder.
void ExportNcdu(const EntryTree& tree, const NcduMetadata& metadata, ReportSink& sink);

// Appends text to out as a JSON string, quotes included, escaping only what JSON requires and DEL.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace tallyvane
