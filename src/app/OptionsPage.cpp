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
    CBAuto = new QCheckBox(QStringLiteral("目录选中后自动进行分析"), general);
    CBAuto->setObjectName(QStringLiteral("CBAuto"));
    CBAuto->setChecked(true);
    generalLayout->addWidget(CBAuto);
    auto* columns = new QGroupBox(QStringLiteral("表格显示的列"), general);
    auto* columnsLayout = new QGridLayout(columns);
    const QString captions[] = {QStringLiteral("大小(字节)"), QStringLiteral("大小"), QStringLiteral("文件夹内%"),
                                QStringLiteral("文件夹内比例图"), QStringLiteral("总%"), QStringLiteral("总比例图")};
    for (int k = 0; k < Settings::ColumnCount; ++k) {
        CB[k] = new QCheckBox(captions[k], columns);
        CB[k]->setObjectName(QStringLiteral("CB%1").arg(k + 1));
        CB[k]->setChecked(true);
        columnsLayout->addWidget(CB[k], k / 3, k % 3);
    }
    generalLayout->addWidget(columns);
    // What scans leave out: under the column boxes, on one line.
    auto* scanning = new QHBoxLayout;
    CBOneFileSystem = new QCheckBox(QStringLiteral("不跨越文件系统"), general);
    CBOneFileSystem->setObjectName(QStringLiteral("CBOneFileSystem"));
    CBHardLinks = new QCheckBox(QStringLiteral("硬链接只计一次"), general);
    CBHardLinks->setObjectName(QStringLiteral("CBHardLinks"));
    auto* excludeLabel = new QLabel(QStringLiteral("排除的名称"), general);
    EDExclude = new QLineEdit(general);
    EDExclude->setObjectName(QStringLiteral("EDExclude"));
    EDExclude->setPlaceholderText(QStringLiteral("*.tmp;node_modules;.cache"));
    excludeLabel->setBuddy(EDExclude);
    scanning->addWidget(CBOneFileSystem);
    scanning->addWidget(CBHardLinks);
    scanning->addSpacing(12);
    scanning->addWidget(excludeLabel);
    scanning->addWidget(EDExclude, 1);
    generalLayout->addLayout(scanning);
    auto* registration = new QHBoxLayout;
    BTNAddReg = MakeButton(QStringLiteral("注册系统右键"), QStringLiteral("BTNAddReg"), general);
    BTNDelReg = MakeButton(QStringLiteral("删除系统右键"), QStringLiteral("BTNDelReg"), general);
    registration->addWidget(BTNAddReg);
    registration->addWidget(BTNDelReg);
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
        RadioButton[k] = new QRadioButton(SkinEngine::skinName(k + 1), skins);
        RadioButton[k]->setObjectName(QStringLiteral("RadioButton%1").arg(k + 1));
        skinGroup->addButton(RadioButton[k], k + 1);
        skinsLayout->addWidget(preview, (k / 3) * 2, k % 3, Qt::AlignCenter);
        skinsLayout->addWidget(RadioButton[k], (k / 3) * 2 + 1, k % 3, Qt::AlignCenter);
    }
    RadioButton[0]->setChecked(true);
    page->addWidget(skins, 1);

    connect(CBAuto, &QCheckBox::clicked, this, &OptionsPage::autoAnalyzeClicked);
    for (int k = 0; k < Settings::ColumnCount; ++k)
        connect(CB[k], &QCheckBox::clicked, this, [this, k] { emit columnClicked(k + 1); });
    for (int k = 0; k < Settings::SkinCount; ++k) {
        connect(RadioButton[k], &QRadioButton::toggled, this, [this, k](bool on) {
            if (on)
                emit skinChosen(k + 1);
        });
    }
    connect(CBOneFileSystem, &QCheckBox::clicked, this, &OptionsPage::oneFileSystemClicked);
    connect(CBHardLinks, &QCheckBox::clicked, this, &OptionsPage::hardLinksClicked);
    connect(EDExclude, &QLineEdit::editingFinished, this, [this] {
        if (EDExclude->text() == m_reportedExclude)
            return;
        m_reportedExclude = EDExclude->text();
        emit excludeEdited();
    });
    connect(BTNAddReg, &QPushButton::clicked, this, &OptionsPage::registerClicked);
    connect(BTNDelReg, &QPushButton::clicked, this, &OptionsPage::unregisterClicked);
}

void OptionsPage::apply(const Settings& settings)
{
    const QSignalBlocker blockAuto(CBAuto);
    CBAuto->setChecked(settings.AutoAnalyze);
    for (int k = 0; k < Settings::ColumnCount; ++k) {
        const QSignalBlocker blockColumn(CB[k]);
        CB[k]->setChecked(settings.ColShow[k]);
    }
    const QSignalBlocker blockOneFileSystem(CBOneFileSystem);
    CBOneFileSystem->setChecked(settings.OneFileSystem);
    const QSignalBlocker blockHardLinks(CBHardLinks);
    CBHardLinks->setChecked(settings.HardLinksOnce);
    m_reportedExclude = QString::fromStdString(settings.Exclude);
    EDExclude->setText(m_reportedExclude);
    if (settings.hasStoredSkin()) {
        const QSignalBlocker blockSkin(RadioButton[settings.SkinNo - 1]);
        RadioButton[settings.SkinNo - 1]->setChecked(true);
    }
}

bool OptionsPage::autoAnalyzeChecked() const
{
    return CBAuto->isChecked();
}

bool OptionsPage::columnChecked(int column) const
{
    return column >= 1 && column <= Settings::ColumnCount && CB[column - 1]->isChecked();
}

bool OptionsPage::oneFileSystemChecked() const
{
    return CBOneFileSystem->isChecked();
}

bool OptionsPage::hardLinksOnceChecked() const
{
    return CBHardLinks->isChecked();
}

std::string OptionsPage::excludeText() const
{
    return EDExclude->text().toStdString();
}

} // namespace tallyvane
