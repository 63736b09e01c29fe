// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/SystemIcons.h"

#include "platform/FileNames.h"

#include <QAbstractFileIconProvider>
#include <QFileInfo>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include <algorithm>

namespace tallyvane {
namespace {

// Every painted grid row asks for its file's icon, and a row is painted again on every scroll
// and hover, so names are remembered; the bound only keeps a long session's memory flat. Whole
// names are the key because glob patterns are not all suffixes (CMakeLists.txt, meson.build)
// and some suffixes are case-sensitive (.C, .c).
constexpr std::size_t kRememberedFileNames = 4096;

const QString kGenericFileIcon = QStringLiteral("text-x-generic");
const QString kFolderIcon = QStringLiteral("folder");
const QString kOpenFolderIcon = QStringLiteral("folder-open");

// A plain sheet or folder for systems without an icon theme, where Qt's own file icons are
// empty too (a fresh install, an offscreen session): rows should still show what they are.
class DrawnIconEngine final : public QIconEngine {
public:
    using Shape = FreedesktopIconList::Shape;

    explicit DrawnIconEngine(Shape shape) : m_shape(shape) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        painter->setPen(QPen(QColor(0x60, 0x60, 0x60), 1.0));
        switch (m_shape) {
        case Shape::File:
            painter->setBrush(Qt::white);
            painter->drawPolygon(QPolygonF({{3.5, 1.5}, {9.5, 1.5}, {12.5, 4.5}, {12.5, 14.5}, {3.5, 14.5}}));
            painter->setBrush(QColor(0xd0, 0xd0, 0xd0));
            painter->drawPolygon(QPolygonF({{9.5, 1.5}, {9.5, 4.5}, {12.5, 4.5}}));
            break;
        case Shape::Folder:
            drawFolderBack(painter);
            painter->setBrush(QColor(0xf2, 0xc9, 0x4c));
            painter->drawRect(QRectF(1.5, 5.5, 13, 8));
            break;
        case Shape::OpenFolder:
            drawFolderBack(painter);
            painter->setBrush(QColor(0xf7, 0xdc, 0x8a));
            painter->drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
            break;
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap result(size);
        result.fill(Qt::transparent);
        QPainter painter(&result);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return result;
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(m_shape); }

private:
    static void drawFolderBack(QPainter* painter)
    {
        painter->setBrush(QColor(0xd9, 0xa5, 0x2b));
        painter->drawPolygon(QPolygonF({{1.5, 2.5}, {6.5, 2.5}, {7.5, 4.0}, {14.5, 4.0}, {14.5, 13.5}, {1.5, 13.5}}));
    }

    Shape m_shape;
};

} // namespace

void useInstalledThemeAsFallback()
{
    const QString current = QIcon::fallbackThemeName();
    if (!current.isEmpty() && current != QLatin1String("hicolor"))
        return;
    const QStringList themes{QStringLiteral("Adwaita"), QStringLiteral("breeze"), QStringLiteral("gnome"),
                             QStringLiteral("oxygen"), QStringLiteral("Tango")};
    const QStringList folders = QIcon::themeSearchPaths();
    for (const QString& theme : themes) {
        for (const QString& folder : folders) {
            if (QFileInfo::exists(folder + QLatin1Char('/') + theme + QStringLiteral("/index.theme"))) {
                QIcon::setFallbackThemeName(theme);
                // Themes already read keep the parents they were read with: read them again.
                QIcon::setThemeSearchPaths(folders);
                return;
            }
        }
    }
}

int FreedesktopIconList::systemIndexOfFile(std::string_view fileName)
{
    if (const auto known = m_indexByFileName.find(fileName); known != m_indexByFileName.end())
        return known->second;
    if (m_indexByFileName.size() >= kRememberedFileNames)
        m_indexByFileName.clear();
    const int index = lookUpFileIcon(fileName);
    m_indexByFileName.emplace(fileName, index);
    return index;
}

int FreedesktopIconList::lookUpFileIcon(std::string_view fileName)
{
    // MatchExtension decides by the name's glob patterns and never touches the disk.
    const QMimeType type = m_mimeTypes.mimeTypeForFile(DecodeFileName(fileName), QMimeDatabase::MatchExtension);
    QStringList names{type.iconName(), type.genericIconName(), kGenericFileIcon};
    names.removeDuplicates();
    return indexOf(std::move(names), Shape::File);
}

int FreedesktopIconList::systemIndexOfFolder(bool open)
{
    return open ? indexOf({kOpenFolderIcon, kFolderIcon}, Shape::OpenFolder) : indexOf({kFolderIcon}, Shape::Folder);
}

int FreedesktopIconList::indexOf(QStringList themeNames, Shape shape)
{
    const auto known = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&](const Entry& entry) { return entry.themeNames.first() == themeNames.first(); });
    if (known != m_entries.end())
        return static_cast<int>(known - m_entries.begin());
    m_entries.push_back({std::move(themeNames), shape});
    return static_cast<int>(m_entries.size()) - 1;
}

QIcon FreedesktopIconList::icon(int systemIndex)
{
    if (systemIndex < 0 || systemIndex >= static_cast<int>(m_entries.size()))
        return {};
    const Entry& entry = m_entries[systemIndex];
    useInstalledThemeAsFallback();
    // Resolved on every call rather than kept, so a change of icon theme shows in new copies.
    for (const QString& name : entry.themeNames) {
        if (QIcon themed = QIcon::fromTheme(name); !themed.isNull())
            return themed;
    }
    const QIcon standard = QAbstractFileIconProvider().icon(
        entry.shape == Shape::File ? QAbstractFileIconProvider::File : QAbstractFileIconProvider::Folder);
    if (!standard.isNull())
        return standard;
    return QIcon(new DrawnIconEngine(entry.shape));
}

QString FreedesktopIconList::iconName(int systemIndex) const
{
    if (systemIndex < 0 || systemIndex >= static_cast<int>(m_entries.size()))
        return {};
    return m_entries[systemIndex].themeNames.first();
}

SystemIconList& SystemIcons()
{
    static FreedesktopIconList list;
    return list;
}

} // namespace tallyvane
