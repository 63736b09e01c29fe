// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace tallyvane {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QSize ElidedLabel::minimumSizeHint() const
{
    // Room for the ellipsis alone; the layout gives the label whatever width is left. One line
    // high whatever the text: it is drawn on one line, and laying all of it out for its height
    // would cost as much as it is long.
    const QMargins margins = contentsMargins();
    const int margin = 2 * this->margin();
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) + margins.left() + margins.right() + margin,
            fontMetrics().height() + margins.top() + margins.bottom() + margin};
}

QSize ElidedLabel::sizeHint() const
{
    return minimumSizeHint();
}

QString ElidedLabel::shownText() const
{
    // Shaping costs as much as the text is long, and a path can be hundreds of thousands of
    // characters. No character is narrower than a pixel, so the start and the end of that many
    // characters are all the elision can ever show.
    const int width = contentsRect().width();
    const QString& full = text();
    const qsizetype keep = std::max(width, 1) + 1;
    if (full.size() <= 2 * keep)
        return fontMetrics().elidedText(full, Qt::ElideMiddle, width);
    qsizetype headEnd = keep;
    if (full.at(headEnd - 1).isHighSurrogate())
        --headEnd;
    qsizetype tailStart = full.size() - keep;
    if (full.at(tailStart).isLowSurrogate())
        ++tailStart;
    return fontMetrics().elidedText(full.left(headEnd) + QStringLiteral("…") + full.mid(tailStart), Qt::ElideMiddle,
                                    width);
}

bool ElidedLabel::event(QEvent* event)
{
    // The whole text is the tool tip, whichever way it was set.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (text().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

} // namespace tallyvane
