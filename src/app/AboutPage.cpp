// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutPage.h"

#include "app/FormWidgets.h"
#include "app/Pictures.h"

#include <QGridLayout>

#include <string>

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
    m_homeLink = link(QStringLiteral("RzURLLabel4"));
    m_mailLink = link(QStringLiteral("RzURLLabel1"));
    const QString mail = QString::fromLatin1(MailAddress);
    showLink(m_mailLink, QStringLiteral("mailto:") + mail, mail);
    layout->addWidget(MakeLabel(QStringLiteral("主页:"), this), 2, 1);
    layout->addWidget(m_homeLink, 2, 2);
    layout->addWidget(MakeLabel(QStringLiteral("邮件:"), this), 3, 1);
    layout->addWidget(m_mailLink, 3, 2);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(4, 1);
}

void AboutPage::setHomeUrl(const QString& address)
{
    showLink(m_homeLink, address, address);
    m_homeLink->setToolTip(address);
}

void AboutPage::markVisited(const QString& address)
{
    if (m_visited.contains(address))
        return;
    m_visited.append(address);
    if (m_homeLink->property("address").toString() == address)
        showLink(m_homeLink, address, address);
    if (m_mailLink->property("address").toString() == address)
        showLink(m_mailLink, address, address.mid(int(std::char_traits<char>::length("mailto:"))));
}

void AboutPage::showLink(QLabel* label, const QString& address, const QString& shown)
{
    label->setProperty("address", address);
    // A rich-text label colours links with the palette's link colour; a visited one says its
    // colour itself.
    const QString style = m_visited.contains(address)
        ? QStringLiteral(" style=\"color: %1;\"").arg(palette().color(QPalette::LinkVisited).name())
        : QString();
    label->setText(
        QStringLiteral("<a href=\"%1\"%2>%3</a>").arg(address.toHtmlEscaped(), style, shown.toHtmlEscaped()));
}

} // namespace tallyvane
