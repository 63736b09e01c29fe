// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/GridFonts.h"

#include <QFontDatabase>
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

// The first installed face of the list that draws both Latin and Simplified Chinese, empty when
// none does. One face for both scripts keeps them alike in weight and height; a Latin face with
// a Chinese fallback sets the Chinese noticeably bolder.
QString bothScriptsFamily(const QStringList& preferred)
{
    const QStringList installed = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : preferred) {
        if (installed.contains(family, Qt::CaseInsensitive)
            && QFontDatabase::writingSystems(family).contains(QFontDatabase::Latin))
            return family;
    }
    return {};
}

QFont oneFamilyFont(const QStringList& bothScripts, const QStringList& standIns, int pixels)
{
    const QString family = bothScriptsFamily(bothScripts);
    return pixelFont(family.isEmpty() ? standIns : QStringList{family}, pixels);
}

} // namespace

QFont GridFont()
{
    return oneFamilyFont({QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"),
                          QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
                          QStringLiteral("Droid Sans Fallback")},
                         {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
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
