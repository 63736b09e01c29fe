// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainToolbar.h"

#include "app/FormWidgets.h"
#include "app/ToolbarButton.h"
#include "presentation/Version.h"

#include <QButtonGroup>
#include <QMainWindow>
#include <QToolBar>

namespace tallyvane {

MainToolbar::MainToolbar(QMainWindow& window)
    : QObject(&window), m_toolbar(window.addToolBar(QStringLiteral("RzToolbar1")))
{
    m_toolbar->setObjectName(QStringLiteral("RzToolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize({32, 32});
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // After the icon size, which resets the toolbar's minimum size.
    m_toolbar->setFixedHeight(68);
    m_toolbar->toggleViewAction()->setVisible(false);

    const auto addButton = [this](const QString& caption, const QString& name, Picture picture, auto clicked) {
        auto* created = new ToolbarButton(caption, picture, m_toolbar);
        created->setObjectName(name);
        m_toolbar->addWidget(created);
        connect(created, &QToolButton::clicked, this, clicked);
        return created;
    };
    QToolButton* analysis = addButton(QStringLiteral("分析(&R)"), QStringLiteral("TBAnalysis"), Picture::Analysis,
                                      &MainToolbar::analysisClicked);
    QToolButton* options = addButton(QStringLiteral("选项(&A)"), QStringLiteral("TBOptions"), Picture::Options,
                                     &MainToolbar::optionsClicked);
    QToolButton* about =
        addButton(QStringLiteral("关于(&A)"), QStringLiteral("TBAbout"), Picture::About, &MainToolbar::aboutClicked);
    // The three page buttons latch: exactly one is down.
    auto* pages = new QButtonGroup(this);
    pages->setExclusive(true);
    for (QToolButton* page : {analysis, options, about}) {
        page->setCheckable(true);
        pages->addButton(page);
    }
    analysis->setChecked(true);
    m_toolbar->addSeparator();
    addButton(QStringLiteral("帮助(&H)"), QStringLiteral("BTNHelp"), Picture::Help, &MainToolbar::helpClicked);
    addButton(QStringLiteral("升级(&U)"), QStringLiteral("BTNUpdate"), Picture::Upgrade, &MainToolbar::updateClicked);
    addButton(QStringLiteral("主页(&H)"), QStringLiteral("BTNHomePage"), Picture::HomePage,
              &MainToolbar::homePageClicked);
    m_toolbar->addSeparator();
    addButton(QStringLiteral("退出(&E)"), QStringLiteral("TBExit"), Picture::Exit, &MainToolbar::exitClicked);

    auto* spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    m_version = MakeLabel(QStringLiteral("版本 $V$"), m_toolbar, QStringLiteral("LabVer"));
    m_version->setFixedWidth(82);
    m_version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_toolbar->addWidget(m_version);
}

void MainToolbar::showVersion()
{
    m_version->setText(ReplaceVersion(m_version->text(), QString::fromLatin1(ProgramVersion)));
}

} // namespace tallyvane
