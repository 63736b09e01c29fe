// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tallyvane {

// File names are kept as the bytes the file system gives. These convert them for display and
// back; bytes that do not decode show as replacement characters.
QString DecodeFileName(std::string_view bytes);
std::string EncodeFileName(const QString& name);

} // namespace tallyvane
