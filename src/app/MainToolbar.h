// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QLabel;
class QMainWindow;
class QToolBar;

namespace tallyvane {

// The window's toolbar: three latching page buttons (分析, 选项, 关于), help, update and home
// page, exit, and the version at the right. Its buttons say when they are clicked.
class MainToolbar final : public QObject {
    Q_OBJECT

public:
    explicit MainToolbar(QMainWindow& window);

    // Puts the program's version into the version text, which reads "版本 $V$" until then.
    void showVersion();

signals:
    void analysisClicked();
    void optionsClicked();
    void aboutClicked();
    void helpClicked();
    void updateClicked();
    void homePageClicked();
    void exitClicked();

private:
    QToolBar* m_toolbar;
    QLabel* m_version;
};

} // namespace tallyvane
