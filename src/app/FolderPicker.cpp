// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FolderPicker.h"

#include <QFileDialog>

namespace tallyvane {

std::optional<QString> QtFolderPicker::pickFolder(QWidget* owner, const QString& preset)
{
    QFileDialog dialog(owner, QStringLiteral("选择文件夹或盘符"), preset);
    dialog.setFileMode(QFileDialog::Directory);
    // Qt's own dialog: the desktop's may hide hidden folders and offer renaming.
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
    dialog.setFilter(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::Drives);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace tallyvane
