// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileNames.h"

#include <QFile>

namespace tallyvane {

QString DecodeFileName(std::string_view bytes)
{
    // Qt decodes file names as UTF-8 on this platform; this spares the copy into a QByteArray.
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string EncodeFileName(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

} // namespace tallyvane
