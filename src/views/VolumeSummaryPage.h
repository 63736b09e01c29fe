// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <string>

class QGroupBox;
class QLabel;

namespace tallyvane {

class PieChart;
class VolumeQueries;
struct ImportSummary;
struct VolumeSummary;

// The Summary page: the volume holding the analysed folder, with its type, cluster size,
// capacity, used and free space, and a pie of used against free space (Chart1).
class VolumeSummaryPage final : public QWidget {
    Q_OBJECT

public:
    explicit VolumeSummaryPage(VolumeQueries& queries, QWidget* parent = nullptr);

    // Fills the page for the volume holding path; an empty path clears it. A call that fills
    // only writes the labels it reaches, so the analysis run clears the page first.
    void ShowVolumeSummary(const std::string& path);
    // Fills the page for an imported scan: its path, the program that wrote it and when, in
    // place of the volume's type and cluster size; the space rows and the pie stay empty.
    void showImportSummary(const ImportSummary& summary);

private:
    void display(const VolumeSummary& summary);

    void showVolumeCaptions(bool volume);

    VolumeQueries& m_queries;
    QGroupBox* m_box;
    QLabel* m_typeCaption;
    QLabel* m_clusterCaption;
    QLabel* m_path;
    QLabel* m_type;
    QLabel* m_cluster;
    QLabel* m_capacity;
    QLabel* m_used;
    QLabel* m_free;
    PieChart* m_chart;
};

} // namespace tallyvane
