// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OptionsPage.h"

#include "app/FormWidgets.h"
#include "app/Pictures.h"
#include "app/SkinEngine.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace tallyvane {
namespace {

QWidget* headerStrip(const QString& text, Picture picture, QWidget* parent)
{
    auto* header = new QWidget(parent);
    header->setFixedHeight(41);
    auto* layout = new QHBoxLayout(header);
    auto* icon = new QLabel(header);
    icon->setPixmap(ToolbarPicture(picture, 24));
    layout->addWidget(icon);
    auto* caption = new QLabel(text, header);
    caption->setFont(BoldFont(10));
    layout->addWidget(caption, 1);
    return header;
}

} // namespace

OptionsPage::OptionsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabOptions"));
    auto* page = new QVBoxLayout(this);
    // Tight vertical margins: the page's height sets the window's smallest height, and the
    // window opens with a client area of 848 x 605 under a 68-pixel toolbar.
    page->setContentsMargins(9, 0, 9, 0);
    page->setSpacing(0);
    page->addWidget(headerStrip(QStringLiteral("参数设置"), Picture::Options, this));

    auto* general = new QWidget(this);
    general->setFixedHeight(184);
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->setSpacing(4);
    m_autoAnalyze = new QCheckBox(QStringLiteral("目录选中后自动进行分析"), general);
    m_autoAnalyze->setObjectName(QStringLiteral("CBAuto"));
    m_autoAnalyze->setChecked(true);
    generalLayout->addWidget(m_autoAnalyze);
    auto* columns = new QGroupBox(QStringLiteral("表格显示的列"), general);
    auto* columnsLayout = new QGridLayout(columns);
    const QString captions[] = {QStringLiteral("大小(字节)"),     QStringLiteral("大小"), QStringLiteral("文件夹内%"),
                                QStringLiteral("文件夹内比例图"), QStringLiteral("总%"),  QStringLiteral("总比例图")};
    for (int k = 0; k < Settings::ColumnCount; ++k) {
        m_columnBoxes[k] = new QCheckBox(captions[k], columns);
        m_columnBoxes[k]->setObjectName(QStringLiteral("CB%1").arg(k + 1));
        m_columnBoxes[k]->setChecked(true);
        columnsLayout->addWidget(m_columnBoxes[k], k / 3, k % 3);
    }
    generalLayout->addWidget(columns);
    // What scans leave out: under the column boxes, on one line.
    auto* scanning = new QHBoxLayout;
    m_oneFileSystem = new QCheckBox(QStringLiteral("不跨越文件系统"), general);
    m_oneFileSystem->setObjectName(QStringLiteral("CBOneFileSystem"));
    m_hardLinksOnce = new QCheckBox(QStringLiteral("硬链接只计一次"), general);
    m_hardLinksOnce->setObjectName(QStringLiteral("CBHardLinks"));
    auto* excludeLabel = new QLabel(QStringLiteral("排除的名称"), general);
    m_exclude = new QLineEdit(general);
    m_exclude->setObjectName(QStringLiteral("EDExclude"));
    m_exclude->setPlaceholderText(QStringLiteral("*.tmp;node_modules;.cache"));
    excludeLabel->setBuddy(m_exclude);
    scanning->addWidget(m_oneFileSystem);
    scanning->addWidget(m_hardLinksOnce);
    scanning->addSpacing(12);
    scanning->addWidget(excludeLabel);
    scanning->addWidget(m_exclude, 1);
    generalLayout->addLayout(scanning);
    auto* registration = new QHBoxLayout;
    m_registerButton = MakeButton(QStringLiteral("注册系统右键"), QStringLiteral("BTNAddReg"), general);
    m_unregisterButton = MakeButton(QStringLiteral("删除系统右键"), QStringLiteral("BTNDelReg"), general);
    registration->addWidget(m_registerButton);
    registration->addWidget(m_unregisterButton);
    registration->addStretch();
    generalLayout->addLayout(registration);
    page->addWidget(general);

    page->addWidget(headerStrip(QStringLiteral("皮肤选择"), Picture::Skins, this));
    auto* skins = new QWidget(this);
    auto* skinsLayout = new QGridLayout(skins);
    auto* skinGroup = new QButtonGroup(this);
    for (int k = 0; k < Settings::SkinCount; ++k) {
        auto* preview = new QLabel(skins);
        preview->setObjectName(QStringLiteral("SkinPreview%1").arg(k + 1));
        preview->setFixedSize(SkinEngine::PreviewSize);
        preview->setPixmap(SkinEngine::renderPreview(k + 1));
        m_skinButtons[k] = new QRadioButton(SkinEngine::skinName(k + 1), skins);
        m_skinButtons[k]->setObjectName(QStringLiteral("RadioButton%1").arg(k + 1));
        skinGroup->addButton(m_skinButtons[k], k + 1);
        skinsLayout->addWidget(preview, (k / 3) * 2, k % 3, Qt::AlignCenter);
        skinsLayout->addWidget(m_skinButtons[k], (k / 3) * 2 + 1, k % 3, Qt::AlignCenter);
    }
    m_skinButtons[0]->setChecked(true);
    page->addWidget(skins, 1);

    connect(m_autoAnalyze, &QCheckBox::clicked, this, &OptionsPage::autoAnalyzeClicked);
    for (int k = 0; k < Settings::ColumnCount; ++k)
        connect(m_columnBoxes[k], &QCheckBox::clicked, this, [this, k] { emit columnClicked(k + 1); });
    for (int k = 0; k < Settings::SkinCount; ++k) {
        connect(m_skinButtons[k], &QRadioButton::toggled, this, [this, k](bool on) {
            if (on)
                emit skinChosen(k + 1);
        });
    }
    connect(m_oneFileSystem, &QCheckBox::clicked, this, &OptionsPage::oneFileSystemClicked);
    connect(m_hardLinksOnce, &QCheckBox::clicked, this, &OptionsPage::hardLinksClicked);
    connect(m_exclude, &QLineEdit::editingFinished, this, [this] {
        if (m_exclude->text() == m_reportedExclude)
            return;
        m_reportedExclude = m_exclude->text();
        emit excludeEdited();
    });
    connect(m_registerButton, &QPushButton::clicked, this, &OptionsPage::registerClicked);
    connect(m_unregisterButton, &QPushButton::clicked, this, &OptionsPage::unregisterClicked);
}

void OptionsPage::apply(const Settings& settings)
{
    const QSignalBlocker blockAuto(m_autoAnalyze);
    m_autoAnalyze->setChecked(settings.AutoAnalyze);
    for (int k = 0; k < Settings::ColumnCount; ++k) {
        const QSignalBlocker blockColumn(m_columnBoxes[k]);
        m_columnBoxes[k]->setChecked(settings.ColShow[k]);
    }
    const QSignalBlocker blockOneFileSystem(m_oneFileSystem);
    m_oneFileSystem->setChecked(settings.OneFileSystem);
    const QSignalBlocker blockHardLinks(m_hardLinksOnce);
    m_hardLinksOnce->setChecked(settings.HardLinksOnce);
    m_reportedExclude = QString::fromStdString(settings.Exclude);
    m_exclude->setText(m_reportedExclude);
    if (settings.hasStoredSkin()) {
        const QSignalBlocker blockSkin(m_skinButtons[settings.SkinNo - 1]);
        m_skinButtons[settings.SkinNo - 1]->setChecked(true);
    }
}

bool OptionsPage::autoAnalyzeChecked() const
{
    return m_autoAnalyze->isChecked();
}

bool OptionsPage::columnChecked(int column) const
{
    return column >= 1 && column <= Settings::ColumnCount && m_columnBoxes[column - 1]->isChecked();
}

bool OptionsPage::oneFileSystemChecked() const
{
    return m_oneFileSystem->isChecked();
}

bool OptionsPage::hardLinksOnceChecked() const
{
    return m_hardLinksOnce->isChecked();
}

std::string OptionsPage::excludeText() const
{
    return m_exclude->text().toStdString();
}

} // namespace tallyvane
