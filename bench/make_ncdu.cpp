// SPDX-License-Identifier: GPL-3.0-or-later
// make_ncdu [--entries N] FILE
//
// Writes an ncdu JSON export of a made-up tree of about N entries (default 1,000,000) with the
// fields ncdu itself writes (asize, dsize, ino, dev on the top folder), for the import
// benchmark: 50 top folders, each with folders of 19 files, names of 8 to 40 bytes with some
// UTF-8. The same N always gives the same file.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char* argv[])
{
    long entries = 1000000;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--entries") == 0 && i + 1 < argc)
            entries = std::atol(argv[++i]);
        else
            path = argv[i];
    }
    if (!path) {
        std::fprintf(stderr, "usage: make_ncdu [--entries N] FILE\n");
        return 2;
    }
    std::FILE* out = std::fopen(path, "wb");
    if (!out) {
        std::perror(path);
        return 1;
    }
    constexpr int TopFolders = 50;
    constexpr int FilesPerFolder = 19;
    const long foldersPerTop = entries / TopFolders / (FilesPerFolder + 1);
    std::uint64_t state = 88172645463325252ull;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    std::uint64_t inode = 1;
    long written = 0;
    std::fprintf(out,
                 "[1,2,{\"progname\":\"ncdu\",\"progver\":\"1.18\",\"timestamp\":1700000000},\n"
                 "[{\"name\":\"/srv/data\",\"asize\":4096,\"dsize\":4096,\"dev\":2049,\"ino\":%llu}",
                 static_cast<unsigned long long>(inode++));
    for (int top = 0; top < TopFolders; ++top) {
        std::fprintf(out, ",\n[{\"name\":\"project-%02d\",\"asize\":4096,\"dsize\":4096,\"ino\":%llu}", top,
                     static_cast<unsigned long long>(inode++));
        ++written;
        for (long folder = 0; folder < foldersPerTop; ++folder) {
            std::fprintf(out,
                         ",\n[{\"name\":\"build-%ld-\xc3\xa9t\xc3\xa9\",\"asize\":4096,\"dsize\":4096,\"ino\":%llu}",
                         folder, static_cast<unsigned long long>(inode++));
            ++written;
            for (int file = 0; file < FilesPerFolder; ++file) {
                const std::uint64_t r = next();
                const unsigned long long size = (r % 100 == 0) ? (r >> 20) % 4000000000ull : (r >> 8) % 65536;
                const std::string padding(static_cast<std::size_t>(r % 32), 'x');
                std::fprintf(out, ",\n{\"name\":\"file-%d-%s.dat\",\"asize\":%llu,\"dsize\":%llu,\"ino\":%llu}", file,
                             padding.c_str(), size, (size + 4095) / 4096 * 4096,
                             static_cast<unsigned long long>(inode++));
                ++written;
            }
            std::fputs("]", out);
        }
        std::fputs("]", out);
    }
    std::fputs("]]\n", out);
    std::fclose(out);
    std::printf("%ld entries below the top folder in %s\n", written, path);
    return 0;
}
