// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Settings.h"

#include <QWidget>

#include <array>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tallyvane {

// The options page: automatic analysis, the grid's columns, what scans leave out or count once,
// the file-manager entry buttons and the six skins with their previews. As created, the boxes
// for automatic analysis and the columns are ticked, the scan options are off with no exclude
// patterns, and skin 1 is chosen.
class OptionsPage final : public QWidget {
    Q_OBJECT

public:
    explicit OptionsPage(QWidget* parent = nullptr);

    // Puts settings on the page without reporting a click or a choice.
    void apply(const Settings& settings);
    bool autoAnalyzeChecked() const;
    // Whether the box of grid column (1..6) is ticked.
    bool columnChecked(int column) const;
    bool oneFileSystemChecked() const;
    bool hardLinksOnceChecked() const;
    // The exclude patterns as typed, UTF-8.
    std::string excludeText() const;

signals:
    void autoAnalyzeClicked();
    // The box of grid column (1..6) was clicked.
    void columnClicked(int column);
    void oneFileSystemClicked();
    void hardLinksClicked();
    // The user finished editing the exclude patterns (Return or leaving the box) and changed them.
    void excludeEdited();
    // The user chose skin (1..6); a choice that changes nothing is not reported.
    void skinChosen(int skin);
    void registerClicked();
    void unregisterClicked();

private:
    QCheckBox* m_autoAnalyze;
    std::array<QCheckBox*, Settings::ColumnCount> m_columnBoxes{}; // columns 1 to 6
    QCheckBox* m_oneFileSystem;
    QCheckBox* m_hardLinksOnce;
    QLineEdit* m_exclude;
    QString m_reportedExclude; // the patterns last put on the page or reported
    QPushButton* m_registerButton;
    QPushButton* m_unregisterButton;
    std::array<QRadioButton*, Settings::SkinCount> m_skinButtons{}; // skins 1 to 6
};

} // namespace tallyvane
