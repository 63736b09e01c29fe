// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/FileTypePalette.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace tallyvane {
namespace {

std::string_view typeOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot + 1);
}

char lowered(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string FileType(std::string_view name)
{
    std::string type(typeOf(name));
    std::transform(type.begin(), type.end(), type.begin(), lowered);
    return type;
}

std::uint64_t FileTypeKey(std::string_view name)
{
    // FNV-1a: fixed, unseeded, so a type keeps its colour from one run to the next.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : typeOf(name)) {
        hash ^= static_cast<unsigned char>(lowered(c));
        hash *= 0x100000001b3ull;
    }
    return hash;
}

QColor FileTypeColour(std::uint64_t typeKey)
{
    // Saturated, mid-light hues that stay apart under the shading and on light or dark skins.
    static constexpr std::array<QRgb, 12> palette{
        0xff4e79a7, 0xfff28e2b, 0xffe15759, 0xff76b7b2, 0xff59a14f, 0xffedc948,
        0xffb07aa1, 0xffff9da7, 0xff9c755f, 0xffbcbd22, 0xff8c6bb1, 0xffd37295,
    };
    // FNV leaves short types' keys poorly mixed; a final scramble (splitmix64's) spreads them
    // over the whole palette.
    std::uint64_t mixed = typeKey;
    mixed = (mixed ^ (mixed >> 30)) * 0xbf58476d1ce4e5b9ull;
    mixed = (mixed ^ (mixed >> 27)) * 0x94d049bb133111ebull;
    mixed ^= mixed >> 31;
    return QColor::fromRgb(palette[mixed % palette.size()]);
}

QColor RemainderColour()
{
    return QColor::fromRgb(0xffa0a0a0);
}

std::vector<FileTypeShare> LargestFileTypes(const EntryTree& tree, EntryId root, std::size_t count,
                                            const std::atomic_bool* cancelled)
{
    struct Total {
        std::int64_t bytes = 0;
        EntryId example = NoEntry;
    };
    std::unordered_map<std::uint64_t, Total> totals;
    std::size_t step = 0;
    const EntryId first = root == NoEntry ? tree.FirstEntry() : root;
    for (EntryId entry = first; entry != NoEntry; entry = tree.NextEntryWithin(entry, root)) {
        if (++step % 65536 == 0 && cancelled && cancelled->load(std::memory_order_relaxed))
            return {};
        if (tree.isFolder(entry) || tree.size(entry) <= 0)
            continue;
        Total& total = totals[FileTypeKey(tree.name(entry))];
        total.bytes += tree.size(entry);
        total.example = entry;
    }

    std::vector<FileTypeShare> shares;
    shares.reserve(totals.size());
    for (const auto& [key, total] : totals)
        shares.push_back({FileType(tree.name(total.example)), total.bytes, FileTypeColour(key)});
    const auto comesFirst = [](const FileTypeShare& a, const FileTypeShare& b) {
        return a.bytes != b.bytes ? a.bytes > b.bytes : a.type < b.type;
    };
    const std::size_t kept = std::min(count, shares.size());
    std::partial_sort(shares.begin(), shares.begin() + static_cast<std::ptrdiff_t>(kept), shares.end(), comesFirst);
    shares.resize(kept);
    return shares;
}

} // namespace tallyvane
