// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/NcduReport.h"

#include "analysis/PreOrderWalk.h"
#include "report/ReportWriting.h"

namespace tallyvane {

using namespace reportwriting;

void AppendJsonString(std::string& out, std::string_view text)
{
    static constexpr char Hex[] = "0123456789abcdef";
    out += '"';
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // DEL too: JSON allows it raw, but ncdu 1.x refuses it unescaped.
        if (c >= 0x20 && c != '"' && c != '\\' && c != 0x7F)
            continue;
        out.append(text, start, i - start);
        start = i + 1;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            out += "\\u00";
            out += Hex[c >> 4];
            out += Hex[c & 0xF];
        }
    }
    out.append(text, start);
    out += '"';
}

void ExportNcdu(const EntryTree& tree, const NcduMetadata& metadata, ReportSink& sink)
{
    // Pieces are gathered up to this size before they go to the sink.
    static constexpr std::size_t FlushSize = 1 << 16;

    std::string out = "[1,2,{\"progname\":";
    AppendJsonString(out, metadata.programName);
    out += ",\"progver\":";
    AppendJsonString(out, metadata.programVersion);
    out += ",\"timestamp\":";
    appendNumber(out, metadata.timestamp);
    out += '}';

    int openFolders = 0;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next()) {
        const int level = walk.level();
        // The format holds one top-level folder.
        if (level == 0 && walk.entry() != tree.FirstEntry())
            break;
        for (; openFolders > level; --openFolders)
            out += ']';
        out += ",\n";
        const EntryId entry = walk.entry();
        const bool folder = tree.isFolder(entry);
        if (folder) {
            out += '[';
            ++openFolders;
        }
        out += "{\"name\":";
        AppendJsonString(out, tree.name(entry));
        const std::uint32_t attributes = tree.attributes(entry);
        const EntryTree::LinkFacts* link = folder ? nullptr : tree.linkFacts(entry);
        if (!folder) {
            // Every link with its own length, as the format's readers count a file with
            // several links once by its device and inode.
            out += ",\"asize\":";
            appendNumber(out, link ? link->size : tree.size(entry));
            if (attributes & Attribute::ReparsePoint)
                out += ",\"notreg\":true";
        }
        if (link) {
            out += ",\"dev\":";
            out += std::to_string(link->device);
            out += ",\"ino\":";
            out += std::to_string(link->inode);
            out += ",\"nlink\":";
            appendNumber(out, link->links);
            out += ",\"hlnkc\":true";
        }
        if (attributes & Attribute::Excluded)
            out += ",\"excluded\":\"pattern\"";
        else if (attributes & Attribute::OtherFileSystem)
            out += ",\"excluded\":\"otherfs\"";
        if (attributes & Attribute::Unreadable)
            out += ",\"read_error\":true";
        out += '}';
        if (out.size() >= FlushSize) {
            sink.write(out);
            out.clear();
        }
    }
    for (; openFolders > 0; --openFolders)
        out += ']';
    out += "]\n";
    sink.write(out);
}

} // namespace tallyvane
