// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/TreemapView.h"

#include "presentation/TreemapImage.h"
#include "presentation/TreemapLayout.h"

#include <QAbstractItemModel>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include <cmath>
#include <new>
#include <system_error>

namespace tallyvane {
namespace {

constexpr std::size_t LegendTypes = 8;
constexpr int LegendPadding = 4;

// The total the map divides among root's children, as the layout counts it.
std::int64_t mapTotal(const EntryTree& tree, EntryId root)
{
    std::int64_t children = 0;
    for (EntryId child = root == NoEntry ? tree.FirstEntry() : tree.FirstChildEntry(root); child != NoEntry;
         child = tree.NextSiblingEntry(child))
        children += std::max<std::int64_t>(0, tree.size(child));
    return root == NoEntry ? children : std::max(tree.size(root), children);
}

} // namespace

TreemapView::TreemapView(QWidget* parent) : QWidget(parent), m_zoomOutButton(new QToolButton(this))
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(120, 80);
    m_zoomOutButton->setText(QStringLiteral("上一级"));
    m_zoomOutButton->setToolTip(QStringLiteral("显示上一级文件夹 (Backspace)"));
    m_zoomOutButton->setAutoRaise(true);
    m_zoomOutButton->setEnabled(false);
    connect(m_zoomOutButton, &QToolButton::clicked, this, &TreemapView::zoomOut);
}

TreemapView::~TreemapView()
{
    stopWorker();
}

QString TreemapView::scanningText()
{
    return QStringLiteral("正在扫描，扫描结束后显示树图");
}

void TreemapView::setDocument(const EntryDocument* document)
{
    stopWorker();
    forgetTree();
    if (m_document)
        disconnect(m_document, nullptr, this, nullptr);
    m_document = document;
    m_tree = document ? &document->tree() : nullptr;
    if (document) {
        connect(document, &EntryDocument::treeAboutToBeReplaced, this, [this] {
            holdTree();
            forgetTree();
        });
        connect(document, &EntryDocument::treeAboutToBeSorted, this, &TreemapView::holdTree);
        // Children are laid out by size whatever their order, so a sort keeps the picture.
        connect(document, &EntryDocument::treeReplaced, this, &TreemapView::releaseTree);
        connect(document, &EntryDocument::treeSorted, this, &TreemapView::releaseTree);
    }
    startWorker();
}

void TreemapView::setScanning(bool scanning)
{
    if (scanning == m_scanning)
        return;
    m_scanning = scanning;
    stopWorker();
    forgetTree();
    startWorker();
}

void TreemapView::holdTree()
{
    if (m_treeHeld++ == 0)
        stopWorker();
}

void TreemapView::releaseTree()
{
    if (--m_treeHeld == 0 && m_pending)
        startWorker();
}

void TreemapView::forgetTree()
{
    m_image = QImage();
    m_root = NoEntry;
    m_imageRoot = NoEntry;
    m_focused = NoEntry;
    m_outline.reset();
    m_legend.clear();
    m_legendValid = false;
    m_zoomOutButton->setEnabled(false);
    setHovered(NoEntry);
    m_pending = true;
    update();
}

void TreemapView::setOutlinedEntry(EntryId entry)
{
    m_focused = entry;
    updateOutline();
    update();
}

void TreemapView::zoomTo(EntryId folder)
{
    if (folder == m_root || !m_tree || (folder != NoEntry && !m_tree->isFolder(folder)))
        return;
    m_root = folder;
    m_zoomOutButton->setEnabled(folder != NoEntry);
    stopWorker();
    m_pending = true;
    startWorker();
    emit zoomChanged(folder);
}

void TreemapView::zoomOut()
{
    if (m_root != NoEntry && m_tree)
        zoomTo(m_tree->ParentEntry(m_root));
}

int TreemapView::legendHeight() const
{
    return std::max(fontMetrics().height(), m_zoomOutButton->sizeHint().height()) + 2 * LegendPadding;
}

QRect TreemapView::mapRect() const
{
    return rect().adjusted(0, 0, 0, -legendHeight());
}

void TreemapView::stopWorker()
{
    if (!m_worker.joinable())
        return;
    m_cancel = true;
    m_worker.join();
    m_cancel = false;
    ++m_generation; // a picture already posted belongs to the stopped run
}

void TreemapView::startWorker()
{
    stopWorker();
    const QRect area = mapRect();
    if (!m_tree || m_scanning || m_treeHeld > 0 || area.isEmpty())
        return;
    m_pending = true;
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize(static_cast<int>(std::lround(area.width() * ratio)),
                           static_cast<int>(std::lround(area.height() * ratio)));
    const bool needLegend = !m_legendValid || m_legendRoot != m_root;
    const unsigned generation = m_generation;
    const auto render = [this, tree = m_tree, root = m_root, deviceSize, ratio, needLegend, generation] {
        Picture picture;
        picture.root = root;
        std::optional<QImage> image = RenderTreemap(*tree, root, deviceSize, ratio, &m_cancel);
        if (!image)
            return;
        picture.image = std::move(*image);
        if (needLegend) {
            picture.legend = LargestFileTypes(*tree, root, LegendTypes, &m_cancel);
            picture.legendTotal = mapTotal(*tree, root);
        }
        if (m_cancel)
            return;
        // Queued to the view, which joins this thread before it goes away; a picture still
        // queued then is dropped with the view's events.
        QMetaObject::invokeMethod(
            this,
            [this, generation, needLegend, picture = std::move(picture)]() mutable {
                if (generation != m_generation)
                    return;
                if (needLegend) {
                    m_legend = std::move(picture.legend);
                    m_legendTotal = picture.legendTotal;
                    m_legendRoot = picture.root;
                    m_legendValid = true;
                }
                m_image = std::move(picture.image);
                m_imageRoot = picture.root;
                m_pending = false;
                updateOutline();
                update();
                emit rendered();
            },
            Qt::QueuedConnection);
    };
    // Short of memory the map stays empty: the rest of the window goes on without it.
    try {
        m_worker = std::thread([render] {
            try {
                render();
            } catch (const std::bad_alloc&) {
            }
        });
    } catch (const std::system_error&) {
        m_pending = false;
    }
}

EntryId TreemapView::entryAt(const QPoint& pos) const
{
    const QRect area = mapRect();
    if (m_image.isNull() || !m_tree || m_scanning || m_treeHeld > 0 || !area.contains(pos))
        return NoEntry;
    // The image may be an older size, shown stretched: map through what is on screen.
    const QPointF device((pos.x() + 0.5 - area.left()) * m_image.width() / area.width(),
                         (pos.y() + 0.5 - area.top()) * m_image.height() / area.height());
    return TreemapLayout(*m_tree, m_imageRoot, QRectF(QPointF(0, 0), QSizeF(m_image.size()))).entryAt(device);
}

std::optional<QRectF> TreemapView::outlineRect(EntryId entry) const
{
    if (entry != m_focused)
        return std::nullopt;
    if (!m_outline)
        return std::nullopt;
    const QRect area = mapRect();
    const double sx = area.width() / static_cast<double>(m_image.width());
    const double sy = area.height() / static_cast<double>(m_image.height());
    return QRectF(area.left() + m_outline->left() * sx, area.top() + m_outline->top() * sy, m_outline->width() * sx,
                  m_outline->height() * sy);
}

void TreemapView::updateOutline()
{
    m_outline.reset();
    if (m_focused == NoEntry || m_image.isNull() || !m_tree || m_scanning || m_treeHeld > 0)
        return;
    const auto tile =
        TreemapLayout(*m_tree, m_imageRoot, QRectF(QPointF(0, 0), QSizeF(m_image.size()))).tileOf(m_focused);
    if (tile)
        m_outline = tile->rect;
}

void TreemapView::setHovered(EntryId entry)
{
    if (entry == m_hovered)
        return;
    m_hovered = entry;
    emit entryHovered(entry);
}

void TreemapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = mapRect();
    painter.fillRect(rect(), palette().window());
    if (m_scanning) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, Qt::AlignCenter, scanningText());
        return;
    }
    if (!m_image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_image.size() != area.size() * devicePixelRatioF());
        painter.drawImage(area, m_image);
    }
    if (const auto outline = outlineRect(m_focused)) {
        // Two rings, dark inside light, so the outline shows on every colour and skin.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 3));
        painter.drawRect(outline->adjusted(1.5, 1.5, -1.5, -1.5));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(outline->adjusted(1.5, 1.5, -1.5, -1.5));
    }
    paintLegend(painter, QRect(0, area.bottom() + 1, width(), height() - area.height()));
}

void TreemapView::paintLegend(QPainter& painter, const QRect& area) const
{
    const int swatch = fontMetrics().height() - 4;
    int x = m_zoomOutButton->geometry().right() + 2 * LegendPadding;
    painter.setPen(palette().color(QPalette::WindowText));
    for (const FileTypeShare& share : m_legend) {
        const QString type = share.type.empty() ? QStringLiteral("无扩展名") : QString::fromUtf8(share.type);
        const double percent =
            m_legendTotal > 0 ? 100.0 * static_cast<double>(share.bytes) / static_cast<double>(m_legendTotal) : 0;
        const QString text = QStringLiteral("%1 %2%").arg(type).arg(percent, 0, 'f', 1);
        const int textWidth = fontMetrics().horizontalAdvance(text);
        if (x + swatch + LegendPadding + textWidth > area.right())
            break;
        const QRect box(x, area.center().y() - swatch / 2, swatch, swatch);
        painter.fillRect(box, share.colour);
        painter.drawText(QRect(box.right() + LegendPadding, area.top(), textWidth + 1, area.height()), Qt::AlignVCenter,
                         text);
        x = box.right() + LegendPadding + textWidth + 3 * LegendPadding;
    }
}

void TreemapView::resizeEvent(QResizeEvent*)
{
    const QSize button = m_zoomOutButton->sizeHint();
    m_zoomOutButton->setGeometry(LegendPadding, height() - legendHeight() + (legendHeight() - button.height()) / 2,
                                 button.width(), button.height());
    if (m_tree && !m_scanning) {
        m_pending = true;
        startWorker();
    }
}

void TreemapView::mouseMoveEvent(QMouseEvent* event)
{
    setHovered(entryAt(event->position().toPoint()));
}

void TreemapView::leaveEvent(QEvent*)
{
    setHovered(NoEntry);
}

void TreemapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (const EntryId entry = entryAt(event->position().toPoint()); entry != NoEntry)
        emit entryClicked(entry);
}

void TreemapView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    EntryId entry = entryAt(event->position().toPoint());
    if (entry != NoEntry && !m_tree->isFolder(entry))
        entry = m_tree->ParentEntry(entry);
    if (entry != NoEntry)
        zoomTo(entry);
}

void TreemapView::contextMenuEvent(QContextMenuEvent* event)
{
    if (const EntryId entry = entryAt(event->pos()); entry != NoEntry)
        emit contextMenuRequested(entry, event->globalPos());
}

void TreemapView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Backspace && m_root != NoEntry) {
        zoomOut();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tallyvane
