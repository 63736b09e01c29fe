// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

namespace tallyvane {

// The about page: the program's icon, name and maker, and links to the home page and the
// mail address. A click on a link hands its address on.
class AboutPage final : public QWidget {
    Q_OBJECT

public:
    explicit AboutPage(QWidget* parent = nullptr);

    // Shows address as the home-page link, its text and its hint.
    void setHomeUrl(const QString& address);
    // After the desktop opened address: its link shows in the visited colour from then on.
    void markVisited(const QString& address);

signals:
    void linkActivated(const QString& address);

private:
    void showLink(QLabel* label, const QString& address, const QString& shown);

    QLabel* m_homeLink; // the home page
    QLabel* m_mailLink; // the mail address
    QStringList m_visited;
};

} // namespace tallyvane
