// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SkinEngine.h"
#include "presentation/Version.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QResource>
#include <QStatusBar>
#include <QStringList>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include <array>
#include <memory>

namespace tallyvane {
namespace {

struct StoredSkin {
    QStringView resource;
    QStringView name;
};

constexpr std::array<StoredSkin, Settings::SkinCount> StoredSkins{{
    {u":/skins/sky.qss", u"天空蓝"},
    {u":/skins/graphite.qss", u"石墨灰"},
    {u":/skins/ember.qss", u"朱砂红"},
    {u":/skins/jade.qss", u"翡翠绿"},
    {u":/skins/classic.qss", u"经典灰"},
    {u":/skins/ocean.qss", u"深海蓝"},
}};

const StoredSkin& storedSkin(int skin)
{
    return StoredSkins[static_cast<std::size_t>(skin - 1)];
}

// The preview's widgets, placed by hand: a layout would size them by the skin's paddings and
// push some out of the small picture.
std::unique_ptr<QMainWindow> buildPreviewWindow()
{
    auto window = std::make_unique<QMainWindow>();
    window->setFixedSize(SkinEngine::PreviewSize);

    auto* toolBar = new QToolBar(window.get());
    toolBar->setMovable(false);
    toolBar->setGeometry(0, 0, SkinEngine::PreviewSize.width(), 28);
    const QStringList pages{QStringLiteral("分析"), QStringLiteral("选项"), QStringLiteral("关于")};
    for (const QString& caption : pages) {
        auto* button = new QToolButton(toolBar);
        button->setText(caption);
        button->setCheckable(true);
        button->setChecked(caption == pages.first()); // shows the skin's latched look
        button->setFixedSize(44, 22);
        toolBar->addWidget(button);
    }
    toolBar->addSeparator();
    toolBar->addWidget(new QLabel(QString::fromLatin1(ProgramVersion), toolBar));

    auto* tabs = new QTabWidget(window.get());
    tabs->setGeometry(4, 30, 244, 42);
    auto* page = new QWidget;
    tabs->addTab(page, QStringLiteral("网格"));
    tabs->addTab(new QWidget, QStringLiteral("饼图"));
    auto* button = new QPushButton(QStringLiteral("分析"), page);
    button->setGeometry(4, 1, 56, 19);
    auto* check = new QCheckBox(QStringLiteral("自动"), page);
    check->setChecked(true);
    check->setGeometry(68, 1, 60, 19);
    auto* radio = new QRadioButton(QStringLiteral("皮肤"), page);
    radio->setChecked(true);
    radio->setGeometry(132, 1, 60, 19);

    auto* status = new QStatusBar(window.get());
    status->setSizeGripEnabled(false);
    status->setGeometry(0, 72, SkinEngine::PreviewSize.width(), 18);
    status->showMessage(QStringLiteral("就绪"));

    // Style sheets stop fonts from passing to children, so each widget is given the same one
    // and the picture does not depend on the application's font.
    QFont font = QApplication::font();
    font.setPixelSize(11);
    window->setFont(font);
    for (QWidget* widget : window->findChildren<QWidget*>())
        widget->setFont(font);
    return window;
}

} // namespace

bool SkinEngine::applySkin(int skin)
{
    if (!isSkin(skin))
        return false;
    qApp->setStyleSheet(styleSheet(skin));
    m_current = skin;
    return true;
}

QString SkinEngine::skinName(int skin)
{
    return isSkin(skin) ? storedSkin(skin).name.toString() : QString();
}

QString SkinEngine::styleSheet(int skin)
{
    if (!isSkin(skin))
        return {};
    // rcc stored the sheet in qCompress's layout (length, then a zlib stream).
    const QResource resource(storedSkin(skin).resource.toString());
    return QString::fromUtf8(qUncompress(resource.data(), static_cast<qsizetype>(resource.size())));
}

QPixmap SkinEngine::renderPreview(int skin)
{
    if (!isSkin(skin))
        return {};
    const std::unique_ptr<QMainWindow> window = buildPreviewWindow();
    window->setStyleSheet(styleSheet(skin));
    return window->grab();
}

} // namespace tallyvane
