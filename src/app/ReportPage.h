// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryDocument.h"

#include <QWidget>

#include <cstdint>
#include <string>

class QLabel;
class QPushButton;
class QTabWidget;

namespace tallyvane {

class ElidedLabel;
class PieChart;
class ResultGrid;
class ScanAnimation;
class TImageListEx;
class TreemapView;
class VolumeQueries;
class VolumeSummaryPage;
struct ImportSummary;

// The analysis results page: the white panel with the path, the scan's count, time and state,
// the folder and run buttons, and below it the grid of tree, the pie chart and the volume
// summary.
class ReportPage final : public QWidget {
    Q_OBJECT

public:
    // The grid's header sorts document.
    ReportPage(EntryDocument& document, TImageListEx* icons, VolumeQueries& volumes, QWidget* parent = nullptr);

    ResultGrid& grid() { return *m_grid; }

    // The path shown as the folder to analyse.
    void showFolder(const QString& path);
    QString folderText() const;
    // Scanning: the animation runs, Cancel shows and Analyse is off; at rest the other way round.
    void setScanning(bool scanning);
    bool isScanning() const;
    void showCount(std::int32_t count);
    void showElapsed(const QString& text);
    void showState(const QString& text);
    // The summary of the volume holding path; empty clears it.
    void showVolume(const std::string& path);
    // The summary of an imported scan in place of a volume's.
    void showImportSummary(const ImportSummary& summary);
    // While a scan runs the treemap shows a short text; it draws the tree once it is filled.
    void setTreemapScanning(bool scanning);
    // The pie chart of folder's largest parts.
    void showChartOf(const EntryTree& tree, EntryId folder);

signals:
    // The treemap's pointer is over entry (NoEntry: over none).
    void treemapHovered(tallyvane::EntryId entry);
    void chooseFolderClicked();
    void runClicked();
    void cancelClicked();

private:
    QLabel* m_stillPicture;
    ScanAnimation* m_scanAnimation;
    ElidedLabel* m_folderLabel;
    QLabel* m_countLabel; // entries found
    QLabel* m_elapsedLabel;
    QLabel* m_stateLabel;
    QPushButton* m_chooseFolderButton;
    QPushButton* m_runButton;
    QPushButton* m_cancelButton;
    QTabWidget* m_views;
    ResultGrid* m_grid;
    PieChart* m_chart;
    VolumeSummaryPage* m_summary;
    TreemapView* m_treemap;
};

} // namespace tallyvane
