// SPDX-License-Identifier: GPL-3.0-or-later
// scan_threads [--threads N] [--descriptors N] [--records N] FOLDER
//
// The program's scan (folder listing and entry tree) with a chosen number of reading threads,
// for measuring the thread count before the command line offers a choice. Prints the entries
// and the total apparent size.

#include "analysis/FolderScan.h"
#include "platform/PosixFileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace tallyvane;

int main(int argc, char* argv[])
{
    FolderReading reading;
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (hasValue && std::strcmp(argv[i], "--threads") == 0)
            reading.threads = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (hasValue && std::strcmp(argv[i], "--descriptors") == 0)
            reading.descriptorBudget = std::strtoul(argv[++i], nullptr, 10);
        else if (hasValue && std::strcmp(argv[i], "--records") == 0)
            reading.recordBudget = std::strtoul(argv[++i], nullptr, 10);
        else
            folder = argv[i];
    }
    if (!folder) {
        std::fputs("usage: scan_threads [--threads N] [--descriptors N] [--records N] FOLDER\n", stderr);
        return 2;
    }
    PosixFileSystem fileSystem(reading);
    EntryTree tree;
    QuietScanHost host;
    FolderScanner scanner(tree, fileSystem, host);
    const std::int64_t total = scanner.ScanFolder(folder, NoEntry);
    std::printf("%u entries, %lld bytes\n", scanner.ScanCount(), static_cast<long long>(total));
    return 0;
}
