// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Settings.h"

#include "platform/PosixFileSystem.h"

#include <algorithm>
#include <string>

namespace tallyvane {
namespace {

constexpr std::string_view ColumnKeys[] = {"C1", "C2", "C3", "C4", "C5", "C6"};

const char* flagText(bool flag)
{
    return flag ? "1" : "0";
}

} // namespace

Settings Settings::load(const IniFile& file)
{
    Settings settings;
    settings.AutoAnalyze = file.readInteger("Auto", "Act", 1) != 0;
    for (std::size_t i = 0; i < settings.ColShow.size(); ++i)
        settings.ColShow[i] = file.readInteger("Col", ColumnKeys[i], 1) != 0;
    settings.SkinNo = file.readInteger("Skin", "Sk", 1);
    // A count out of the command line's range reads as automatic and stays in the file as it is.
    const int threads = file.readInteger("Scan", "Threads", 0);
    settings.ScanThreads = threads >= 1 && threads <= static_cast<int>(MaxReadThreads) ? threads : 0;
    settings.OneFileSystem = file.readInteger("Scan", "OneFileSystem", 0) != 0;
    std::string hardLinks = file.readString("Scan", "HardLinks", "each");
    std::transform(hardLinks.begin(), hardLinks.end(), hardLinks.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    settings.HardLinksOnce = hardLinks == "once";
    settings.Exclude = file.readString("Scan", "Exclude", "");
    return settings;
}

std::vector<std::string> Settings::excludeList() const
{
    std::vector<std::string> patterns;
    std::string_view rest = Exclude;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find(';'), rest.size());
        std::string_view pattern = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        while (!pattern.empty() && (pattern.front() == ' ' || pattern.front() == '\t'))
            pattern.remove_prefix(1);
        while (!pattern.empty() && (pattern.back() == ' ' || pattern.back() == '\t'))
            pattern.remove_suffix(1);
        if (!pattern.empty())
            patterns.emplace_back(pattern);
    }
    return patterns;
}

ScanOptions Settings::scanOptions() const
{
    return {.oneFileSystem = OneFileSystem, .countLinksOnce = HardLinksOnce, .exclude = excludeList()};
}

void Settings::save(IniFile& file, int code) const
{
    if (code == SaveCodeAuto) {
        file.writeString("Auto", "Act", flagText(AutoAnalyze));
    } else if (code >= SaveCodeOfColumn(1) && code <= SaveCodeOfColumn(6)) {
        const std::size_t index = static_cast<std::size_t>(code - SaveCodeOfColumn(1));
        file.writeString("Col", ColumnKeys[index], flagText(ColShow[index]));
    } else if (code == SaveCodeSkin) {
        file.writeString("Skin", "Sk", std::to_string(SkinNo));
    } else if (code == SaveCodeOneFileSystem) {
        file.writeString("Scan", "OneFileSystem", flagText(OneFileSystem));
    } else if (code == SaveCodeHardLinks) {
        file.writeString("Scan", "HardLinks", HardLinksOnce ? "once" : "each");
    } else if (code == SaveCodeExclude) {
        file.writeString("Scan", "Exclude", Exclude);
    }
}

std::vector<int> Settings::startWriteBacks() const
{
    std::vector<int> codes;
    if (hasStoredSkin() && SkinNo != 1)
        codes.push_back(SaveCodeSkin);
    if (!AutoAnalyze)
        codes.push_back(SaveCodeAuto);
    for (int column = 1; column <= ColumnCount; ++column) {
        if (!ColShow[static_cast<std::size_t>(column - 1)])
            codes.push_back(SaveCodeOfColumn(column));
    }
    return codes;
}

} // namespace tallyvane
