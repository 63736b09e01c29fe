// SPDX-License-Identifier: GPL-3.0-or-later
// make_tree [--seed N] [--entries N] [--max-depth N] DEST
//
// Creates a large, realistic folder tree at DEST for scan benchmarks: exactly N entries below
// DEST (folders, files and symbolic links), at most max-depth levels deep. The same seed and
// options give the same tree on any machine: names, sizes, link targets and the order of
// creation. Only integer arithmetic drives the choices, because the standard library's
// distributions and the floating-point math library may differ from one build to the next.
// Files are sized with ftruncate and hold no data, so a million of them cost inodes, not space.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "make_tree: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    // splitmix64: tiny, fast and good enough to pick names and sizes.
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

    // A number in [0, n). The modulo bias is far below anything a benchmark tree could show.
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    std::uint64_t between(std::uint64_t low, std::uint64_t high) { return low + below(high - low + 1); }
    bool percent(unsigned p) { return below(100) < p; }
    bool perMille(unsigned p) { return below(1000) < p; }

    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N])
    {
        return items[below(N)];
    }

private:
    std::uint64_t m_state;
};

// A weighted choice among ranges: picks a range by weight, then a number in it.
struct Band {
    std::uint64_t weight;
    std::uint64_t low;
    std::uint64_t high;
};

std::uint64_t drawBand(Random& random, std::span<const Band> bands)
{
    std::uint64_t total = 0;
    for (const Band& band : bands)
        total += band.weight;
    std::uint64_t ticket = random.below(total);
    for (const Band& band : bands) {
        if (ticket < band.weight)
            return random.between(band.low, band.high);
        ticket -= band.weight;
    }
    return bands.back().high;
}

// File sizes by power of two, roughly log-normal around a few KiB with a heavy tail up to
// tens of GiB, as on a real disk where a few large files hold most of the bytes.
constexpr Band FileSizes[] = {
    {6000, 0, 0},
    {2000, 1, 15},
    {9000, 16, 255},
    {6000, 256, 511},
    {8000, 512, 1023},
    {9000, 1024, 2047},
    {10000, 2048, 4095},
    {10000, 4096, 8191},
    {9000, 8192, 16383},
    {8000, 16384, 32767},
    {6500, 32768, 65535},
    {5000, 65536, 131071},
    {3500, 131072, 262143},
    {2500, 262144, 524287},
    {1700, 524288, 1048575},
    {1100, std::uint64_t{1} << 20, (std::uint64_t{1} << 21) - 1},
    {700, std::uint64_t{1} << 21, (std::uint64_t{1} << 22) - 1},
    {450, std::uint64_t{1} << 22, (std::uint64_t{1} << 23) - 1},
    {280, std::uint64_t{1} << 23, (std::uint64_t{1} << 24) - 1},
    {170, std::uint64_t{1} << 24, (std::uint64_t{1} << 25) - 1},
    {100, std::uint64_t{1} << 25, (std::uint64_t{1} << 26) - 1},
    {60, std::uint64_t{1} << 26, (std::uint64_t{1} << 27) - 1},
    {35, std::uint64_t{1} << 27, (std::uint64_t{1} << 28) - 1},
    {20, std::uint64_t{1} << 28, (std::uint64_t{1} << 29) - 1},
    {10, std::uint64_t{1} << 29, (std::uint64_t{1} << 30) - 1},
    {5, std::uint64_t{1} << 30, (std::uint64_t{1} << 31) - 1},
    {3, std::uint64_t{1} << 31, (std::uint64_t{1} << 32) - 1},
    {2, std::uint64_t{1} << 32, (std::uint64_t{1} << 33) - 1},
    {1, std::uint64_t{1} << 33, (std::uint64_t{1} << 36) - 1},
};

// Files directly in a folder: mostly a handful, now and then thousands.
constexpr Band FilesPerFolder[] = {
    {5, 0, 0}, {15, 1, 3}, {28, 4, 10}, {25, 11, 30}, {15, 31, 100}, {8, 101, 300}, {3, 301, 1000}, {1, 1001, 4000},
};
// Subfolders of a folder that has entries to spare for them.
constexpr Band SubfoldersPerFolder[] = {
    {30, 1, 1}, {30, 2, 3}, {25, 4, 8}, {12, 9, 20}, {3, 21, 60},
};

constexpr std::string_view Words[] = {
    "src",    "lib",     "include",    "build",   "data",   "docs",      "test",     "tests",   "assets",    "images",
    "cache",  "config",  "share",      "local",   "bin",    "tmp",       "backup",   "archive", "photos",    "music",
    "video",  "report",  "invoice",    "draft",   "final",  "notes",     "readme",   "license", "changelog", "main",
    "index",  "util",    "helper",     "core",    "module", "package",   "vendor",   "node",    "modules",   "target",
    "debug",  "release", "output",     "input",   "sample", "example",   "template", "theme",   "plugin",    "widget",
    "model",  "view",    "controller", "service", "client", "server",    "network",  "storage", "record",    "entry",
    "summer", "holiday", "project",    "meeting", "budget", "scan",      "export",   "import",  "icon",      "font",
    "kernel", "driver",  "firmware",   "locale",  "manual", "thumbnail", "snapshot", "session", "profile",   "log",
};
constexpr std::string_view WideWords[] = {
    "Überblick", "résumé", "Größe",    "données", "café",   "naïve", "Ångström", "español", "año",      "документы",
    "фото",      "отчёт",  "Ελληνικά", "αρχείο",  "文档",   "照片",  "資料",     "写真",    "ファイル", "音楽",
    "사진",      "문서",   "מסמך",     "ملف",     "दस्तावेज़", "🎵",     "📁",        "🚀",       "✓",        "naïve café",
};
constexpr std::string_view FileExtensions[] = {
    ".txt",  ".md",  ".jpg",   ".png",  ".svg",   ".h",   ".hpp",    ".c",   ".cpp",  ".py",   ".js",      ".ts",
    ".json", ".xml", ".html",  ".css",  ".so",    ".a",   ".o",      ".log", ".gz",   ".zip",  ".tar",     ".pdf",
    ".mp3",  ".mp4", ".mkv",   ".flac", ".iso",   ".db",  ".sqlite", ".ini", ".conf", ".yaml", ".desktop", ".mo",
    ".po",   ".ttf", ".woff2", ".pyc",  ".class", ".jar", ".rs",     ".go",  ".sh",   ".bak",  ".tar.gz",
};
constexpr std::string_view Separators[] = {"_", "-", "", " ", "."};

constexpr std::size_t NameMax = 255;

struct Statistics {
    std::uint64_t folders = 0;
    std::uint64_t files = 0;
    std::uint64_t links = 0;
    std::uint64_t bytes = 0;
    std::uint64_t dotNames = 0;
    std::uint64_t wideNames = 0;
    std::uint64_t largestFolder = 0;
    int deepestLevel = 0;
    std::vector<std::uint64_t> entriesPerLevel;
};

class TreeMaker {
public:
    TreeMaker(std::uint64_t seed, int maxDepth) : m_random(seed), m_maxDepth(maxDepth)
    {
        m_statistics.entriesPerLevel.resize(static_cast<std::size_t>(maxDepth) + 1);
    }

    // Fills the open folder fd, at level (the destination is level 0), with budget entries.
    void fill(int fd, int level, std::uint64_t budget);

    const Statistics& statistics() const { return m_statistics; }

private:
    enum class Kind : std::uint8_t { File, Folder };

    std::string makeName(bool folder);
    std::string uniqueName(std::unordered_set<std::string>& used, bool folder);
    std::string linkTarget(std::string_view sibling);
    std::uint64_t subfolderCount(std::uint64_t spare, int levelsBelow);
    void countEntry(int level);

    Random m_random;
    int m_maxDepth;
    Statistics m_statistics;
};

std::string TreeMaker::makeName(bool folder)
{
    Random& r = m_random;
    std::string name;
    const auto word = [&] { return std::string(r.pick(Words)); };
    bool wide = false;
    switch (r.below(20)) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7: {
        const std::string_view separator = r.pick(Separators);
        const std::uint64_t count = r.between(1, 3);
        for (std::uint64_t i = 0; i < count; ++i) {
            if (i > 0)
                name += separator;
            std::string w = word();
            if (r.percent(25))
                w[0] = static_cast<char>(w[0] - 'a' + 'A');
            name += w;
        }
        break;
    }
    case 8:
    case 9:
    case 10: {
        name = r.percent(50) ? word() + "_" : std::string(r.percent(50) ? "IMG_" : "part-");
        name += std::to_string(r.between(0, r.percent(80) ? 9999 : 99999999));
        break;
    }
    case 11:
    case 12: {
        // Content hashes, as in caches and object stores.
        constexpr char hex[] = "0123456789abcdef";
        const std::uint64_t length = r.percent(50) ? 40 : r.between(8, 64);
        for (std::uint64_t i = 0; i < length; ++i)
            name += hex[r.below(16)];
        break;
    }
    case 13: {
        const std::uint64_t length = r.between(60, 240);
        while (name.size() < length)
            name += word() + "_";
        name.resize(length);
        break;
    }
    case 14:
    case 15: {
        wide = true;
        name = std::string(r.pick(WideWords));
        if (r.percent(40)) {
            name += ' ';
            name += r.pick(WideWords);
        }
        if (r.percent(30)) {
            name += '_';
            name += r.pick(Words);
        }
        break;
    }
    case 16: {
        name = std::string(1, static_cast<char>('a' + r.below(26)));
        if (r.percent(50))
            name += static_cast<char>('0' + r.below(10));
        break;
    }
    default:
        name = word();
        break;
    }
    if (r.percent(3)) {
        name = "." + name;
        ++m_statistics.dotNames;
    }
    if (!folder && r.percent(85))
        name += r.pick(FileExtensions);
    if (wide)
        ++m_statistics.wideNames;
    return name;
}

std::string TreeMaker::uniqueName(std::unordered_set<std::string>& used, bool folder)
{
    std::string name = makeName(folder);
    // Leave room for a suffix, and never cut a UTF-8 sequence in two.
    if (name.size() > NameMax - 8) {
        std::size_t cut = NameMax - 8;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    if (used.contains(name)) {
        const std::string stem = name;
        for (unsigned n = 2; used.contains(name); ++n)
            name = stem + "~" + std::to_string(n);
    }
    used.insert(name);
    return name;
}

std::string TreeMaker::linkTarget(std::string_view sibling)
{
    switch (m_random.below(4)) {
    case 0:
        return sibling.empty() ? "missing-target" : std::string(sibling);
    case 1:
        return ".."; // a loop, for scanners that would follow links to folders
    case 2:
        return "../" + std::string(m_random.pick(Words));
    default:
        return "/nonexistent/" + std::string(m_random.pick(Words));
    }
}

std::uint64_t TreeMaker::subfolderCount(std::uint64_t spare, int levelsBelow)
{
    // Enough subfolders that, spread over the levels still allowed, the deepest folders hold
    // about TypicalLeaf entries each rather than one giant folder at the bottom.
    constexpr std::uint64_t TypicalLeaf = 64;
    std::uint64_t needed = 1;
    if (spare > TypicalLeaf) {
        const std::uint64_t ratio = spare / TypicalLeaf;
        while (true) {
            std::uint64_t power = 1;
            for (int i = 0; i < levelsBelow && power <= ratio; ++i)
                power *= needed;
            if (power >= ratio)
                break;
            ++needed;
        }
    }
    return std::min(spare, std::max(needed, drawBand(m_random, SubfoldersPerFolder)));
}

void TreeMaker::countEntry(int level)
{
    m_statistics.deepestLevel = std::max(m_statistics.deepestLevel, level);
    ++m_statistics.entriesPerLevel[static_cast<std::size_t>(level)];
}

void TreeMaker::fill(int fd, int level, std::uint64_t budget)
{
    if (budget == 0)
        return;
    // Folder levels that may still hold entries below this folder's children.
    const int levelsBelow = m_maxDepth - 1 - level;
    std::uint64_t files = std::min(budget, drawBand(m_random, FilesPerFolder));
    if (levelsBelow <= 0)
        files = budget;
    const std::uint64_t spare = budget - files;
    const std::uint64_t folders = spare == 0 ? 0 : subfolderCount(spare, levelsBelow);

    // Each subfolder is one entry and gets a weighted share of the rest; a few weigh much
    // more than their siblings, as a project folder does beside its notes.
    std::vector<std::uint64_t> shares(folders);
    std::uint64_t weightSum = 0;
    for (auto& weight : shares) {
        weight = m_random.between(1, 16) * (m_random.percent(10) ? 8 : 1);
        weightSum += weight;
    }
    const std::uint64_t inside = spare - folders;
    std::uint64_t handedOut = 0;
    for (auto& share : shares) {
        share = inside * share / weightSum;
        handedOut += share;
    }
    for (std::uint64_t i = 0; handedOut < inside; ++i, ++handedOut)
        ++shares[i];

    // Files and folders are created interleaved, as they would be over a folder's life.
    std::vector<Kind> order(files, Kind::File);
    order.resize(files + folders, Kind::Folder);
    for (std::size_t i = order.size(); i > 1; --i)
        std::swap(order[i - 1], order[m_random.below(i)]);

    m_statistics.largestFolder = std::max(m_statistics.largestFolder, files + folders);
    std::unordered_set<std::string> used;
    std::string lastFile;
    std::size_t nextFolder = 0;
    for (const Kind kind : order) {
        countEntry(level + 1);
        if (kind == Kind::Folder) {
            const std::string name = uniqueName(used, true);
            if (::mkdirat(fd, name.c_str(), 0755) != 0)
                fail("mkdir " + name);
            const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (child < 0)
                fail("open " + name);
            ++m_statistics.folders;
            fill(child, level + 1, shares[nextFolder++]);
            ::close(child);
            continue;
        }
        const std::string name = uniqueName(used, false);
        if (m_random.perMille(3)) {
            const std::string target = linkTarget(lastFile);
            if (::symlinkat(target.c_str(), fd, name.c_str()) != 0)
                fail("symlink " + name);
            ++m_statistics.links;
            continue;
        }
        const std::uint64_t size = drawBand(m_random, FileSizes);
        const mode_t mode = m_random.percent(5) ? 0444 : 0644;
        const int file = ::openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (file < 0)
            fail("create " + name);
        if (size > 0 && ::ftruncate(file, static_cast<off_t>(size)) != 0)
            fail("truncate " + name);
        ::close(file);
        ++m_statistics.files;
        m_statistics.bytes += size;
        lastFile = name;
    }
}

bool parseNumber(std::string_view text, std::uint64_t& value)
{
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc{} && end == text.data() + text.size();
}

int usage()
{
    std::fputs("Usage: make_tree [--seed N] [--entries N] [--max-depth N] DEST\n"
               "Creates DEST (which must not exist) holding exactly N entries (default 1000000),\n"
               "at most max-depth levels deep (default 12), the same tree for the same seed (default 1).\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    std::uint64_t seed = 1;
    std::uint64_t entries = 1'000'000;
    std::uint64_t maxDepth = 12;
    std::string destination;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::uint64_t* target = argument == "--seed" ? &seed
            : argument == "--entries"                ? &entries
            : argument == "--max-depth"              ? &maxDepth
                                                     : nullptr;
        if (target) {
            if (i + 1 >= argc || !parseNumber(argv[++i], *target))
                return usage();
        } else if (argument.starts_with("-") || !destination.empty()) {
            return usage();
        } else {
            destination = argument;
        }
    }
    // The entry cap keeps the weighted shares of a folder's budget within 64 bits.
    if (destination.empty() || maxDepth < 1 || maxDepth > 64 || entries > (std::uint64_t{1} << 40))
        return usage();

    const auto start = std::chrono::steady_clock::now();
    // The modes asked for are the modes created, whatever the caller's umask.
    ::umask(0);
    if (::mkdir(destination.c_str(), 0755) != 0)
        fail("mkdir " + destination);
    const int root = ::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0)
        fail("open " + destination);
    TreeMaker maker(seed, static_cast<int>(maxDepth));
    maker.fill(root, 0, entries);
    ::close(root);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const Statistics& s = maker.statistics();
    std::printf("tree          %s\n", destination.c_str());
    std::printf("seed          %llu\n", static_cast<unsigned long long>(seed));
    std::printf("entries       %llu (folders %llu, files %llu, links %llu)\n",
                static_cast<unsigned long long>(s.folders + s.files + s.links),
                static_cast<unsigned long long>(s.folders), static_cast<unsigned long long>(s.files),
                static_cast<unsigned long long>(s.links));
    std::printf("dot names     %llu, UTF-8 names %llu\n", static_cast<unsigned long long>(s.dotNames),
                static_cast<unsigned long long>(s.wideNames));
    std::printf("apparent size %llu bytes\n", static_cast<unsigned long long>(s.bytes));
    std::printf("deepest level %d, largest folder %llu entries\n", s.deepestLevel,
                static_cast<unsigned long long>(s.largestFolder));
    std::printf("per level    ");
    for (int level = 1; level <= s.deepestLevel; ++level)
        std::printf(" %llu", static_cast<unsigned long long>(s.entriesPerLevel[static_cast<std::size_t>(level)]));
    std::printf("\nseconds       %.1f\n", seconds);
    return 0;
}
