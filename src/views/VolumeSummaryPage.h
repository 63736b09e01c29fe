// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <string>

class QLabel;

namespace tallyvane {

class PieChart;
class VolumeQueries;
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

private:
    void display(const VolumeSummary& summary);

    VolumeQueries& m_queries;
    QLabel* m_path;
    QLabel* m_type;
    QLabel* m_cluster;
    QLabel* m_capacity;
    QLabel* m_used;
    QLabel* m_free;
    PieChart* m_chart;
};

} // namespace tallyvane
