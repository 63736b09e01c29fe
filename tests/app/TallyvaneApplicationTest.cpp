// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TallyvaneApplication.h"
#include "commands/MessageBoxes.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <new>

#include <stdexcept>
#include <vector>

namespace tallyvane {
namespace {

class RecordingBoxes final : public MessageBoxes {
public:
    void show(const QString& text, const QString& caption, MessageIcon icon) override
    {
        shown.push_back(text + QLatin1Char('|') + caption + QLatin1Char('|') + QString::number(int(icon)));
    }
    bool askYesNo(const QString&, const QString&) override { return false; }
    std::vector<QString> shown;
};

// The arguments of a program started without any: its name alone.
struct ProgramArguments {
    int argc = 1;
    char name[10] = "tallyvane";
    char* argv[2] = {name, nullptr};
};

// A handler that fails the way a failed settings write does.
class FailingObject final : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Unable to write to /nowhere/Tallyvane.ini");
        return QObject::event(event);
    }
};

TEST(TallyvaneApplication, AnEscapedErrorReachesTheErrorBoxAndTheProgramGoesOn)
{
    ProgramArguments arguments;
    TallyvaneApplication application(arguments.argc, arguments.argv);
    RecordingBoxes boxes;
    application.setErrorBoxes(&boxes);
    FailingObject failing;

    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&failing, &event);
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::processEvents();

    const QString expected = QStringLiteral("Unable to write to /nowhere/Tallyvane.ini.|Tallyvane|")
        + QString::number(int(MessageIcon::Error));
    EXPECT_EQ(boxes.shown, (std::vector<QString>{expected, expected}));
    EXPECT_EQ(QCoreApplication::applicationName(), "Tallyvane");
}

// Boxes that cannot be shown, as when memory has run out.
class FailingBoxes final : public MessageBoxes {
public:
    void show(const QString&, const QString&, MessageIcon) override
    {
        ++tried;
        throw std::bad_alloc();
    }
    bool askYesNo(const QString&, const QString&) override { return false; }
    int tried = 0;
};

TEST(TallyvaneApplication, AnErrorBoxThatCannotBeShownLeavesTheProgramRunning)
{
    ProgramArguments arguments;
    TallyvaneApplication application(arguments.argc, arguments.argv);
    FailingBoxes boxes;
    application.setErrorBoxes(&boxes);
    FailingObject failing;

    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::processEvents(); // an exception escaping into the event loop would abort
    QEvent event(QEvent::User);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&failing, &event));
    EXPECT_EQ(boxes.tried, 2);
}

TEST(TallyvaneApplication, WindowTitlesReachTheDesktopExactlyAsGiven)
{
    ProgramArguments arguments;
    TallyvaneApplication application(arguments.argc, arguments.argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tallyvane [Vantori]"));
    window.show();
    ASSERT_NE(window.windowHandle(), nullptr);
    EXPECT_EQ(window.windowHandle()->title(), "Tallyvane [Vantori]");

    // The desktop's platform plugins (xcb, Wayland) append " — " and the application's display
    // name to every title when the program sets one, so "提示信息" would become "提示信息 —
    // Tallyvane". The display name follows the application name exactly when none was set.
    const QString programName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(programName);
    EXPECT_EQ(displayName, "probe") << "the program sets a display name of its own";
}

} // namespace
} // namespace tallyvane
