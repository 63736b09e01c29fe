// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

namespace tallyvane {

class MessageBoxes;

// The application object. An error that escapes an event handler reaches one place, the
// application's error box (the error's text, a full stop, caption "Tallyvane", error icon),
// and the program carries on.
class TallyvaneApplication final : public QApplication {
    Q_OBJECT

public:
    TallyvaneApplication(int& argc, char** argv);

    void setErrorBoxes(MessageBoxes* boxes) { m_boxes = boxes; }
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error in the application's error box.
    void showError(const QString& text);

private:
    // Shows the exception being handled in the error box.
    void reportCurrentException();

    MessageBoxes* m_boxes = nullptr;
};

} // namespace tallyvane
