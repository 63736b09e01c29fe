// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "presentation/ChartSlices.h"

#include <QChartView>
#include <QColor>
#include <QPieSeries>
#include <QPolygonF>
#include <QStringList>

#include <vector>

namespace tallyvane {

// A flat, round pie of one series on a plain background, without legend or title. Slices stay
// in the order they were added; each carries a mark: its label (lines split at carriage
// returns) and its share of the whole pie. The chart draws the marks itself, every slice's, an
// empty one's too: outside marks clear of the disc, the name shortened in the middle where the
// room beside the pie is short and the figures always whole.
class PieChart final : public QChartView {
    Q_OBJECT

public:
    enum class MarkPlacement {
        Outside, // beside the pie, joined to the slice by a line
        Inside,  // on the slice itself, so small slices may hide theirs
    };
    struct Style {
        QColor background;
        int markDecimals; // 2 for shares such as "45.68 %", 0 for "46 %"
        MarkPlacement marks;
    };

    explicit PieChart(const Style& style, QWidget* parent = nullptr);

    // Empties the title and removes every slice.
    void clear();
    void addSlice(const PieSlice& slice);

    // The slices as they were added.
    const std::vector<PieSlice>& slices() const { return m_slices; }
    // The mark of slice i as the user reads it, the label's carriage returns kept.
    QString markOf(std::size_t i) const;
    QPieSeries* series() const { return m_series; }

    // Where and how slice i's mark is drawn, in the view's coordinates.
    struct MarkLayout {
        QStringList lines; // as drawn: the name shortened to the room, then the figures
        QRectF text;       // the lines' box
        QPolygonF arm;     // outside marks: from the rim to the text; empty inside
    };
    MarkLayout markLayout(std::size_t i) const;
    // The disc's centre and radius, in the view's coordinates.
    QPointF pieCentre() const;
    qreal pieRadius() const;

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override;

private:
    void updateSlices();
    QColor markColour(std::size_t i) const;

    Style m_style;
    QPieSeries* m_series;
    std::vector<PieSlice> m_slices;
};

// The look of the folder composition chart ChartDict.
PieChart::Style FolderChartStyle();

// Shows the composition of folder (FolderSlices) in chart, replacing what it showed before.
void ShowFolderChart(PieChart& chart, const EntryTree& tree, EntryId folder);

} // namespace tallyvane
