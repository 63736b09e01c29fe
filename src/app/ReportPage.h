// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTabWidget;

namespace tallyvane {

class PieChart;
class ResultGrid;
class ScanAnimation;
class TImageListEx;
class VolumeQueries;
class VolumeSummaryPage;

// The analysis results page: the white panel with the path, the scan's count, time and state,
// the folder and run buttons, and below it the grid, the pie chart and the volume summary.
// The window drives its controls.
class ReportPage final : public QWidget {
    Q_OBJECT

public:
    ReportPage(TImageListEx* icons, VolumeQueries& volumes, QWidget* parent = nullptr);

    QLabel* ImageScan;
    ScanAnimation* cxImgScan;
    QLabel* LabCur;
    QLabel* Label9;  // entries found
    QLabel* Label10; // elapsed time
    QLabel* Label13; // scan state
    QPushButton* RzBtnDirectory;
    QPushButton* BTNRun;
    QPushButton* BTNCancel;
    QTabWidget* RzPageControl1;
    ResultGrid* vts;
    PieChart* ChartDict;
    VolumeSummaryPage* Summary;
};

} // namespace tallyvane
