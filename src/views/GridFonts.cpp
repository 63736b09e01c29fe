// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/GridFonts.h"

#include <QStringList>

namespace tallyvane {
namespace {

QFont pixelFont(const QStringList& families, int pixels)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    return font;
}

} // namespace

QFont GridFont()
{
    return pixelFont({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Noto Sans CJK SC")},
                     11);
}

QFont GridHeaderFont()
{
    return pixelFont({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Sans CJK SC")},
                     12);
}

} // namespace tallyvane
