// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FolderPicker.h"

#include "commands/FileDialogs.h"

#include <QDir>
#include <QFileDialog>

namespace tallyvane {

std::optional<QString> QtFolderPicker::pickFolder(QWidget* owner, const QString& preset)
{
    // Made on the root folder, which holds no file to trip over, until the dialog lists by
    // names alone.
    QFileDialog dialog(owner, QStringLiteral("选择文件夹或盘符"), QDir::rootPath());
    prepareFileDialog(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    // Qt's own dialog: the desktop's may hide hidden folders and offer renaming.
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
    dialog.setFilter(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::Drives);
    dialog.setDirectory(preset);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace tallyvane
