// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/FileManagerIntegration.h"

#include <QString>

namespace tallyvane {

// What the options page shows after its register or remove button: one of the window's four
// messages, and whether it reports a failure (error icon) rather than a success (information).
struct RegistrationMessage {
    QString text;
    bool failure = false;
};

RegistrationMessage RegisterFileManagerEntries(FileManagerIntegration& integration, const QString& caption,
                                               const std::string& executablePath);
RegistrationMessage UnregisterFileManagerEntries(FileManagerIntegration& integration);

} // namespace tallyvane
