// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractFileIconProvider>
#include <QIdentityProxyModel>
#include <QString>

class QFileDialog;

namespace tallyvane {

// Icons and type texts of a file dialog's listing, decided by the name alone. Qt's own provider
// sniffs file contents, and reading a file such as /proc/kmsg or a FIFO never returns, which
// would leave the dialog's listing stuck for good.
class NameOnlyIconProvider final : public QAbstractFileIconProvider {
public:
    using QAbstractFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    // "文件夹" for folders, "TXT 文件" and the like for files, "文件" without a suffix.
    QString type(const QFileInfo& info) const override;
};

// The listing's columns in Chinese whatever the locale: captions, sizes and dates.
class ChineseFileColumns final : public QIdentityProxyModel {
    Q_OBJECT

public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QVariant data(const QModelIndex& index, int role) const override;
};

// Makes a file dialog Qt's own (the desktop's would sniff contents and ignore the provider),
// with the name-only provider and the Chinese columns.
void prepareFileDialog(QFileDialog& dialog);

// Where a save dialog opens: the folder last saved in while it still exists, else the user's
// documents folder, else the home folder; never the program's working folder.
QString saveDialogFolder(const QString& lastSaveFolder);

} // namespace tallyvane
