// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutPage.h"

#include "app/FormWidgets.h"
#include "app/Pictures.h"

#include <QGridLayout>

namespace tallyvane {

namespace {
constexpr char MailAddress[] = "support@tallyvane.example";
}

AboutPage::AboutPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabAbout"));
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    QLabel* name = MakeLabel(QStringLiteral("Tallyvane"), this, QStringLiteral("Label1"));
    name->setFont(BoldFont(12));
    QLabel* subtitle = MakeLabel(QStringLiteral("Vantori"), this, QStringLiteral("Label2"));
    subtitle->setFont(BoldFont(10));
    layout->addWidget(name, 0, 1, 1, 2);
    layout->addWidget(subtitle, 1, 1, 1, 2);

    const auto link = [this](const QString& objectName) {
        QLabel* created = MakeLabel({}, this, objectName);
        created->setTextFormat(Qt::RichText);
        created->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        connect(created, &QLabel::linkActivated, this, &AboutPage::linkActivated);
        return created;
    };
    RzURLLabel4 = link(QStringLiteral("RzURLLabel4"));
    QLabel* mail = link(QStringLiteral("RzURLLabel1"));
    mail->setText(QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(QString::fromLatin1(MailAddress)));
    layout->addWidget(MakeLabel(QStringLiteral("主页:"), this), 2, 1);
    layout->addWidget(RzURLLabel4, 2, 2);
    layout->addWidget(MakeLabel(QStringLiteral("邮件:"), this), 3, 1);
    layout->addWidget(mail, 3, 2);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(4, 1);
}

void AboutPage::setHomeUrl(const QString& address)
{
    RzURLLabel4->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()));
    RzURLLabel4->setToolTip(address);
}

} // namespace tallyvane
