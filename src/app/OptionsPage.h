// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace tallyvane {

// The options page: automatic analysis, the grid's columns, the file-manager entry buttons and
// the six skins with their previews. As created, every box is ticked and skin 1 is chosen;
// the window connects the handlers and puts the loaded settings on the page.
class OptionsPage final : public QWidget {
    Q_OBJECT

public:
    explicit OptionsPage(QWidget* parent = nullptr);

    QCheckBox* CBAuto;
    std::array<QCheckBox*, 6> CB{};           // columns 1 to 6
    QPushButton* BTNAddReg;
    QPushButton* BTNDelReg;
    std::array<QRadioButton*, 6> RadioButton{}; // skins 1 to 6
};

} // namespace tallyvane
