// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace tallyvane {

// The modal save dialog of the report export: one filter, a default suffix for names typed
// without one, and a question before an existing file is replaced. It opens in the folder last
// saved in, else in the user's documents folder.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    // The chosen file's full path, or none when the user cancelled. suffix: "html" and the
    // like; filter: "*.html" and the like.
    virtual std::optional<QString> askFileName(QWidget* owner, const QString& suffix, const QString& filter) = 0;
};

class QtSaveDialog final : public SaveDialog {
public:
    std::optional<QString> askFileName(QWidget* owner, const QString& suffix, const QString& filter) override;

private:
    QString m_lastSaveFolder;
};

} // namespace tallyvane
