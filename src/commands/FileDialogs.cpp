// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/FileDialogs.h"

#include "desktop/SystemIcons.h"
#include "presentation/SizeText.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QTreeView>

#include <array>

namespace tallyvane {
namespace {

const QLocale& chinese()
{
    static const QLocale locale(QLocale::Chinese, QLocale::China);
    return locale;
}

} // namespace

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    // Called on the listing's own thread: QMimeDatabase is safe there, the program's icon
    // table is not.
    if (info.isDir())
        return QIcon::fromTheme(QStringLiteral("folder"), icon(Folder));
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    QIcon themed = QIcon::fromTheme(mime.iconName());
    if (themed.isNull())
        themed = QIcon::fromTheme(mime.genericIconName());
    return themed.isNull() ? icon(File) : themed;
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (info.isDir())
        return QStringLiteral("文件夹");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("文件") : suffix.toUpper() + QStringLiteral(" 文件");
}

QVariant ChineseFileColumns::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const std::array<QString, 4> captions{QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("类型"),
                                                 QStringLiteral("修改日期")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < static_cast<int>(captions.size()))
        return captions[static_cast<std::size_t>(section)];
    return QIdentityProxyModel::headerData(section, orientation, role);
}

QVariant ChineseFileColumns::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || (index.column() != 1 && index.column() != 3))
        return QIdentityProxyModel::data(index, role);
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr)
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (index.column() == 3)
        return chinese().toString(files->lastModified(source), QStringLiteral("yyyy/M/d H:mm"));
    const qint64 size = files->size(source);
    if (files->isDir(source) || size < 0) // a pipe or a device has no length to show
        return QString();
    // The same size text as the grid's.
    return QString::fromStdString(SizeToText(size));
}

void prepareFileDialog(QFileDialog& dialog)
{
    static NameOnlyIconProvider provider;
    useInstalledThemeAsFallback(); // the provider asks the theme on the listing's thread
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&provider);
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView")))
        details->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
}

QString saveDialogFolder(const QString& lastSaveFolder)
{
    if (!lastSaveFolder.isEmpty() && QFileInfo(lastSaveFolder).isDir())
        return lastSaveFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

} // namespace tallyvane
