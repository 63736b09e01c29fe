// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OptionsController.h"

#include "app/OptionsPage.h"
#include "app/RunController.h"
#include "views/ResultGrid.h"

namespace tallyvane {

OptionsController::OptionsController(Settings settings, std::string settingsPath, OptionsPage& page, ResultGrid& grid,
                                     RunController& run)
    : m_settings(std::move(settings)), m_settingsPath(std::move(settingsPath)), m_page(page), m_grid(grid), m_run(run)
{
}

void OptionsController::apply()
{
    for (int column = 1; column <= Settings::ColumnCount; ++column)
        m_grid.SetColumnVisible(column, m_settings.ColShow[column - 1]);
    m_skins.applySkin(m_settings.hasStoredSkin() ? m_settings.SkinNo : 1);

    // The page takes the settings without running its handlers; what their runs would have
    // written back, differing from the page as created, is written here in the same order.
    m_page.apply(m_settings);
    applyScanOptions();
    for (const int code : m_settings.startWriteBacks())
        SaveSetting(code);
}

void OptionsController::addCommandLineScanOptions(const ScanOptions& options)
{
    m_commandLineScan = options;
    applyScanOptions();
}

void OptionsController::applyScanOptions()
{
    m_run.setScanOptions(MergedScanOptions(m_settings.scanOptions(), m_commandLineScan));
}

void OptionsController::SaveSetting(int code)
{
    IniFile file(m_settingsPath);
    m_settings.save(file, code);
}

void OptionsController::CBAutoClick()
{
    m_settings.AutoAnalyze = m_page.autoAnalyzeChecked();
    SaveSetting(SaveCodeAuto);
}

void OptionsController::CB1Click(int tag)
{
    const int column = tag - 1;
    if (column >= 1 && column <= Settings::ColumnCount) {
        m_settings.ColShow[column - 1] = m_page.columnChecked(column);
        m_grid.SetColumnVisible(column, m_settings.ColShow[column - 1]);
    }
    SaveSetting(tag);
}

void OptionsController::scanOptionChanged(int code)
{
    m_settings.OneFileSystem = m_page.oneFileSystemChecked();
    m_settings.HardLinksOnce = m_page.hardLinksOnceChecked();
    m_settings.Exclude = m_page.excludeText();
    applyScanOptions();
    SaveSetting(code);
}

void OptionsController::RadioButton1Click(int tag)
{
    if (SkinEngine::isSkin(tag))
        m_skins.applySkin(tag);
    m_settings.SkinNo = tag;
    SaveSetting(SaveCodeSkin);
}

} // namespace tallyvane
