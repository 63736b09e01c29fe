// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Settings.h"

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
    // A negative count reads as automatic; a huge one is bounded by the platform.
    settings.ScanThreads = std::max(0, file.readInteger("Scan", "Threads", 0));
    return settings;
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
