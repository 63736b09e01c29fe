// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Pictures.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <utility>

namespace tallyvane {
namespace {

const QColor Blue(33, 102, 184);
const QColor LightBlue(120, 176, 232);
const QColor Orange(240, 140, 30);
const QColor Red(214, 48, 49);
const QColor Green(46, 160, 67);

QPixmap canvas(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A disk seen from above with a slice in another colour: the program's own sign.
void drawDisk(QPainter& painter, const QRectF& box, int sliceStart, int sliceSpan)
{
    painter.setPen(QPen(Blue.darker(130), box.width() / 32));
    painter.setBrush(LightBlue);
    painter.drawEllipse(box);
    painter.setBrush(Orange);
    painter.drawPie(box, sliceStart * 16, sliceSpan * 16);
    painter.setBrush(Qt::white);
    const qreal hub = box.width() / 8;
    painter.drawEllipse(box.center(), hub, hub);
}

void drawMagnifier(QPainter& painter, qreal size)
{
    painter.setPen(QPen(QColor(60, 60, 60), size / 10, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(size * 0.62, size * 0.62), QPointF(size * 0.92, size * 0.92));
    painter.setPen(QPen(QColor(60, 60, 60), size / 16));
    painter.setBrush(QColor(255, 255, 255, 150));
    painter.drawEllipse(QPointF(size * 0.45, size * 0.45), size * 0.25, size * 0.25);
}

void drawGear(QPainter& painter, qreal size)
{
    const QPointF centre(size / 2, size / 2);
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        QTransform turn;
        turn.translate(centre.x(), centre.y()).rotate(i * 45.0);
        teeth.addPolygon(turn.map(QPolygonF(QRectF(-size * 0.08, -size * 0.46, size * 0.16, size * 0.2))));
    }
    teeth.addEllipse(centre, size * 0.32, size * 0.32);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(96, 106, 120));
    painter.drawPath(teeth.simplified());
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, size * 0.13, size * 0.13);
}

void drawRoundSign(QPainter& painter, qreal size, const QColor& color, const QString& sign)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(size * 0.06, size * 0.06, size * 0.88, size * 0.88));
    QFont font;
    font.setBold(true);
    font.setPixelSize(static_cast<int>(size * 0.62));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, sign);
}

void drawUpArrow(QPainter& painter, qreal size)
{
    const QPolygonF arrow{{size * 0.5, size * 0.08},  {size * 0.9, size * 0.5},   {size * 0.66, size * 0.5},
                          {size * 0.66, size * 0.92}, {size * 0.34, size * 0.92}, {size * 0.34, size * 0.5},
                          {size * 0.1, size * 0.5}};
    painter.setPen(QPen(Green.darker(140), size / 32));
    painter.setBrush(Green);
    painter.drawPolygon(arrow);
}

void drawHouse(QPainter& painter, qreal size)
{
    painter.setPen(QPen(Blue.darker(150), size / 24));
    painter.setBrush(QColor(250, 240, 220));
    painter.drawRect(QRectF(size * 0.2, size * 0.45, size * 0.6, size * 0.45));
    painter.setBrush(Red);
    painter.drawPolygon(QPolygonF{{size * 0.08, size * 0.5}, {size * 0.5, size * 0.1}, {size * 0.92, size * 0.5}});
    painter.setBrush(Blue);
    painter.drawRect(QRectF(size * 0.42, size * 0.62, size * 0.16, size * 0.28));
}

// A painter's palette with four dabs of paint: the skins.
void drawSkins(QPainter& painter, qreal size)
{
    QPainterPath board;
    board.addEllipse(QRectF(size * 0.06, size * 0.14, size * 0.88, size * 0.72));
    QPainterPath thumbHole;
    thumbHole.addEllipse(QPointF(size * 0.66, size * 0.66), size * 0.09, size * 0.09);
    painter.setPen(QPen(QColor(150, 110, 60), size / 24));
    painter.setBrush(QColor(236, 200, 150));
    painter.drawPath(board.subtracted(thumbHole));
    painter.setPen(Qt::NoPen);
    const std::pair<QPointF, QColor> dabs[] = {
        {{0.28, 0.38}, Red}, {{0.48, 0.30}, Orange}, {{0.68, 0.38}, Green}, {{0.30, 0.62}, Blue}};
    for (const auto& [centre, colour] : dabs) {
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(centre.x() * size, centre.y() * size), size * 0.09, size * 0.09);
    }
}

void drawExit(QPainter& painter, qreal size)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Red, size / 10, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(size * 0.16, size * 0.18, size * 0.68, size * 0.68), 120 * 16, 300 * 16);
    painter.drawLine(QPointF(size * 0.5, size * 0.08), QPointF(size * 0.5, size * 0.48));
}

} // namespace

QPixmap ToolbarPicture(Picture picture, int size)
{
    QPixmap pixmap = canvas(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    switch (picture) {
    case Picture::Analysis:
        drawDisk(painter, QRectF(s * 0.04, s * 0.04, s * 0.72, s * 0.72), 30, 100);
        drawMagnifier(painter, s);
        break;
    case Picture::Options:
        drawGear(painter, s);
        break;
    case Picture::About:
        drawRoundSign(painter, s, Blue, QStringLiteral("i"));
        break;
    case Picture::Help:
        drawRoundSign(painter, s, Green, QStringLiteral("?"));
        break;
    case Picture::Upgrade:
        drawUpArrow(painter, s);
        break;
    case Picture::HomePage:
        drawHouse(painter, s);
        break;
    case Picture::Exit:
        drawExit(painter, s);
        break;
    case Picture::Skins:
        drawSkins(painter, s);
        break;
    }
    return pixmap;
}

QPixmap OutlinedPicture(Picture picture, const QColor& ink, int size)
{
    const int ring = std::max(1, size / 16);
    const QPixmap inner = ToolbarPicture(picture, size - 2 * ring);
    // The silhouette in ink, its soft edge made firmer, so that the outline's own edge is ink
    // rather than ink thinned into the background.
    QImage silhouette = inner.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < silhouette.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(silhouette.scanLine(y));
        for (int x = 0; x < silhouette.width(); ++x)
            line[x] = qRgba(ink.red(), ink.green(), ink.blue(), std::min(255, qAlpha(line[x]) * 3));
    }
    // The silhouette stamped around a small disc widens the shape by the ring on every side.
    QPixmap pixmap = canvas(size);
    QPainter painter(&pixmap);
    for (int dy = -ring; dy <= ring; ++dy) {
        for (int dx = -ring; dx <= ring; ++dx) {
            if (dx * dx + dy * dy <= ring * ring + ring)
                painter.drawImage(QPoint(ring + dx, ring + dy), silhouette);
        }
    }
    painter.drawPixmap(ring, ring, inner);
    return pixmap;
}

QPixmap ScanPicture(int size)
{
    QPixmap pixmap = canvas(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawDisk(painter, QRectF(size * 0.08, size * 0.08, size * 0.84, size * 0.84), 30, 100);
    return pixmap;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap = canvas(size);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        drawDisk(painter, QRectF(size * 0.06, size * 0.06, size * 0.88, size * 0.88), 30, 100);
        icon.addPixmap(pixmap);
    }
    return icon;
}

ScanAnimation::ScanAnimation(QWidget* parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
    m_timer.setInterval(60);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 12) % 360;
        update();
    });
}

void ScanAnimation::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(8, 8, width() - 16, height() - 16);
    drawDisk(painter, box, -m_angle, 70);
    // The sweeping beam, fading behind its edge.
    QConicalGradient beam(box.center(), -m_angle + 70);
    beam.setColorAt(0.0, QColor(255, 255, 255, 170));
    beam.setColorAt(0.25, QColor(255, 255, 255, 0));
    beam.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(beam);
    painter.drawEllipse(box);
}

void ScanAnimation::showEvent(QShowEvent* event)
{
    m_timer.start();
    QWidget::showEvent(event);
}

void ScanAnimation::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

} // namespace tallyvane
