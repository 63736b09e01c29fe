// SPDX-License-Identifier: GPL-3.0-or-later
// import_benchmark FILE
//
// Imports an ncdu export the way the command line does (read, then sort largest first) and
// prints the time of each step, the entries and the bytes the tree holds per entry: the
// figure to compare with a scan's, whose tree is the same structure.

#include "analysis/EntrySort.h"
#include "analysis/FolderScan.h"
#include "analysis/NcduImport.h"

#include <chrono>
#include <cstdio>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char* argv[])
{
    using namespace tallyvane;
    if (argc != 2) {
        std::fprintf(stderr, "usage: import_benchmark FILE\n");
        return 2;
    }
    EntryTree tree;
    QuietScanHost host;
    try {
        const auto start = std::chrono::steady_clock::now();
        FileImportInput input(argv[1]);
        ImportNcdu(input, tree, host);
        const double read = secondsSince(start);
        const auto sortStart = std::chrono::steady_clock::now();
        SortEntries(tree, SortKey::Size, SortDirection::Descending);
        const double sort = secondsSince(sortStart);
        std::printf("entries %zu\nread %.3f s\nsort %.3f s\nbytes per entry %.1f\n", tree.EntryCount(), read, sort,
                    static_cast<double>(tree.memoryBytes()) / static_cast<double>(tree.EntryCount()));
    } catch (const ImportError& error) {
        std::fprintf(stderr, "import_benchmark: %s\n", error.what());
        return 1;
    }
    return 0;
}
