// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/SaveDialog.h"

#include "commands/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace tallyvane {

std::optional<QString> QtSaveDialog::askFileName(QWidget* owner, const QString& suffix, const QString& filter)
{
    // Made on the root folder, which holds no file to trip over, until the dialog lists by
    // names alone.
    QFileDialog dialog(owner, QString(), QDir::rootPath());
    prepareFileDialog(dialog);
    dialog.setDirectory(saveDialogFolder(m_lastSaveFolder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    // The filter's description is its own pattern.
    dialog.setNameFilter(filter + QStringLiteral(" (") + filter + QLatin1Char(')'));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    m_lastSaveFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

} // namespace tallyvane
