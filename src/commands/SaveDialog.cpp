// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/SaveDialog.h"

#include <QFileDialog>

namespace tallyvane {

std::optional<QString> QtSaveDialog::askFileName(QWidget* owner, const QString& suffix, const QString& filter)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    // The filter's description is its own pattern.
    dialog.setNameFilter(filter + QStringLiteral(" (") + filter + QLatin1Char(')'));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace tallyvane
