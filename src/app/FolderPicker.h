// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace tallyvane {

// The modal folder picker: folders only, hidden ones listed, nothing renamed, made or deleted.
class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // The chosen folder's path, or none when the user cancelled.
    virtual std::optional<QString> pickFolder(QWidget* owner, const QString& preset) = 0;
};

class QtFolderPicker final : public FolderPicker {
public:
    std::optional<QString> pickFolder(QWidget* owner, const QString& preset) override;
};

} // namespace tallyvane
