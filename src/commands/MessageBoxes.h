// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace tallyvane {

enum class MessageIcon { None, Information, Warning, Error, Question };

// The program's modal message boxes, so that tests can answer and record them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A box with an OK button.
    virtual void show(const QString& text, const QString& caption, MessageIcon icon) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& caption) = 0;
};

// The program's error box: the error's text and a full stop, under the program's name.
void ShowErrorBox(MessageBoxes& boxes, const QString& text);

// Boxes owned by a window (none: by the active window).
class QtMessageBoxes final : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    void show(const QString& text, const QString& caption, MessageIcon icon) override;
    bool askYesNo(const QString& text, const QString& caption) override;

private:
    QWidget* m_owner;
};

} // namespace tallyvane
