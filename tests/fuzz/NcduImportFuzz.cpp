// SPDX-License-Identifier: GPL-3.0-or-later
// The ncdu reader under a fuzzer: any bytes either import or fail with ImportError, an imported
// tree's folder sizes are the sums of what is below them, and every name below the top-level
// folder is one a file system can hold.
#include "analysis/FolderScan.h"
#include "analysis/NcduImport.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using namespace tallyvane;

class BytesInput final : public ImportInput {
public:
    BytesInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::size_t read(char* buffer, std::size_t capacity) override
    {
        // Small blocks, so tokens straddle the reader's buffer boundaries.
        const std::size_t n = std::min({capacity, m_size - m_read, std::size_t{13}});
        std::memcpy(buffer, m_data + m_read, n);
        m_read += n;
        return n;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_read = 0;
};

void checkSizesAddUp(const EntryTree& tree)
{
    for (EntryId entry = tree.FirstEntry(); entry != NoEntry; entry = tree.NextEntry(entry)) {
        if (!tree.isFolder(entry))
            continue;
        std::int64_t total = 0;
        for (EntryId child = tree.FirstChildEntry(entry); child != NoEntry; child = tree.NextSiblingEntry(child))
            total += tree.size(child);
        if (total != tree.size(entry))
            std::abort();
    }
}

void checkNamesCanExist(const EntryTree& tree)
{
    for (EntryId entry = tree.NextEntry(tree.FirstEntry()); entry != NoEntry; entry = tree.NextEntry(entry)) {
        const std::string_view name = tree.name(entry);
        if (name.empty() || name == "." || name == ".."
            || name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    EntryTree tree;
    BytesInput input(data, size);
    QuietScanHost host;
    try {
        const ImportedScan scan = ImportNcdu(input, tree, host, ImportLimits{4096});
        if (tree.EntryCount() == 0 || scan.rootPath != tree.name(tree.FirstEntry()))
            std::abort();
        checkSizesAddUp(tree);
        checkNamesCanExist(tree);
    } catch (const ImportError&) {
    }
    return 0;
}
