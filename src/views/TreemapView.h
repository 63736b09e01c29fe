// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryDocument.h"
#include "presentation/FileTypePalette.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

class QToolButton;

namespace tallyvane {

// The analysed tree as a cushion treemap with a legend of its largest file types below it.
//
// Layout and shading run on a thread of their own into an image; a resize, a zoom or a new
// tree cancels the run under way and starts another, while the last image stays on screen,
// stretched, until the new one is ready. The worker only reads the tree: the document announces
// every change before it makes it, and the view stops the worker then.
//
// Double-clicking a folder's area zooms into the innermost folder under the pointer;
// Backspace or the button beside the legend zooms out one level.
class TreemapView final : public QWidget {
    Q_OBJECT

public:
    explicit TreemapView(QWidget* parent = nullptr);
    ~TreemapView() override;

    // Shows the document's tree from its top (nullptr: nothing) and follows its changes: after
    // a sort with the same picture, after a new tree from its top. The document must outlive
    // the view or the next call.
    void setDocument(const EntryDocument* document);
    // While scanning, the view shows only a short text. The end of a scan shows the new tree
    // from its top.
    void setScanning(bool scanning);
    bool isScanning() const { return m_scanning; }

    // The entry outlined on the map (NoEntry: none), drawn around its tile or, when it is too
    // small to draw, around its nearest ancestor's.
    void setOutlinedEntry(EntryId entry);
    EntryId outlinedEntry() const { return m_focused; }

    // Fills the map with folder's subtree; NoEntry shows the whole tree.
    void zoomTo(EntryId folder);
    void zoomOut();
    EntryId zoomRoot() const { return m_root; }

    // The deepest entry under pos (widget coordinates) on the picture shown; NoEntry where
    // nothing is drawn, while scanning or before the first picture.
    EntryId entryAt(const QPoint& pos) const;
    // Where the outline of entry goes, in widget coordinates; none when the picture shows no
    // tile of it or of an ancestor.
    std::optional<QRectF> outlineRect(EntryId entry) const;
    // True from a change until its picture is on screen.
    bool isRendering() const { return m_pending; }
    // The legend shown: the largest file types of the zoomed subtree.
    const std::vector<FileTypeShare>& legend() const { return m_legend; }
    // The part of the widget the map fills; the legend takes the rest below it.
    QRect mapRect() const;
    // The text shown instead of the map while a scan runs.
    static QString scanningText();

signals:
    // The entry under the pointer changed; NoEntry when it left the map.
    void entryHovered(EntryId entry);
    void entryClicked(EntryId entry);
    void contextMenuRequested(EntryId entry, const QPoint& globalPos);
    void zoomChanged(EntryId root);
    // A new picture is on screen.
    void rendered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Picture {
        QImage image;
        EntryId root = NoEntry;
        std::vector<FileTypeShare> legend;
        std::int64_t legendTotal = 0;
    };

    int legendHeight() const;
    // Cancels the worker and waits for it; the next start begins afresh.
    void stopWorker();
    void startWorker();
    // Forgets the picture and everything that points into the tree.
    void forgetTree();
    void updateOutline();
    void setHovered(EntryId entry);
    void paintLegend(QPainter& painter, const QRect& area) const;
    void holdTree();
    void releaseTree();

    const EntryDocument* m_document = nullptr;
    const EntryTree* m_tree = nullptr;
    EntryId m_root = NoEntry;
    EntryId m_focused = NoEntry;
    EntryId m_hovered = NoEntry;
    bool m_scanning = false;
    int m_treeHeld = 0;     // nested holds while the document changes the tree
    bool m_pending = false; // a picture for the current state is still to come

    QImage m_image;
    EntryId m_imageRoot = NoEntry;
    std::vector<FileTypeShare> m_legend;
    std::int64_t m_legendTotal = 0;
    EntryId m_legendRoot = NoEntry;
    bool m_legendValid = false;
    std::optional<QRectF> m_outline; // in the image's device pixels

    std::thread m_worker;
    std::atomic_bool m_cancel{false};
    unsigned m_generation = 0;
    QToolButton* m_zoomOutButton;
};

} // namespace tallyvane
