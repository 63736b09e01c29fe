// SPDX-License-Identifier: GPL-3.0-or-later
// bare_walk FOLDER
//
// The floor for a single-threaded scan: the system calls every complete scanner has to make
// (openat per folder, getdents64 per batch of names, fstatat per name) and nothing else. It
// keeps no tree and only adds up st_size, so the gap between a scanner and this walk is what
// the scanner spends on its own bookkeeping. Links are not followed, as in the scanners it is
// compared with. Prints the entries found below FOLDER and their total apparent size.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Totals {
    std::uint64_t entries = 0;
    std::uint64_t bytes = 0;
};

constexpr std::size_t BufferSize = 32 * 1024;

// One listing buffer per depth, reused by every folder at that depth, so the walk times the
// system calls and not the allocator.
class Buffers {
public:
    char* at(std::size_t depth)
    {
        while (m_buffers.size() <= depth)
            m_buffers.push_back(std::make_unique_for_overwrite<char[]>(BufferSize));
        return m_buffers[depth].get();
    }

private:
    std::vector<std::unique_ptr<char[]>> m_buffers;
};

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Takes ownership of fd. Recursion is fine here: depth is bounded by the trees benchmarked,
// and each level costs one descriptor and one buffer.
void walk(int fd, std::size_t depth, Buffers& buffers, Totals& totals)
{
    char* const buffer = buffers.at(depth);
    for (;;) {
        const ssize_t count = ::getdents64(fd, buffer, BufferSize);
        if (count <= 0)
            break;
        for (ssize_t offset = 0; offset < count;) {
            const auto* record = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += record->d_reclen;
            if (isDotOrDotDot(record->d_name))
                continue;
            struct stat st;
            if (::fstatat(fd, record->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            ++totals.entries;
            totals.bytes += static_cast<std::uint64_t>(st.st_size);
            if (S_ISDIR(st.st_mode)) {
                const int child = ::openat(fd, record->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (child >= 0)
                    walk(child, depth + 1, buffers, totals);
            }
        }
    }
    ::close(fd);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("Usage: bare_walk FOLDER\n", stderr);
        return 2;
    }
    const int fd = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    Buffers buffers;
    Totals totals;
    walk(fd, 0, buffers, totals);
    std::printf("%llu entries, %llu bytes\n", static_cast<unsigned long long>(totals.entries),
                static_cast<unsigned long long>(totals.bytes));
    return 0;
}
