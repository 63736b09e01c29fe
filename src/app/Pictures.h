// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace tallyvane {

// The window's pictures, drawn here so that the program carries no image files of its own.
enum class Picture { Analysis, Options, About, Help, Upgrade, HomePage, Exit, Skins };

QPixmap ToolbarPicture(Picture picture, int size = 32);
// The picture inside an outline in ink, a colour that stands out from the background the picture
// is shown on: the outline keeps the shape readable whatever its own colours are.
QPixmap OutlinedPicture(Picture picture, const QColor& ink, int size = 32);
// The still picture beside the path while no scan runs.
QPixmap ScanPicture(int size = 100);
// The program's icon: a disk with a slice taken out.
QIcon ProgramIcon();

// The animated picture shown while a scan runs: a beam sweeping over the disk.
class ScanAnimation final : public QWidget {
    Q_OBJECT

public:
    explicit ScanAnimation(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {104, 104}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer m_timer;
    int m_angle = 0;
};

} // namespace tallyvane
