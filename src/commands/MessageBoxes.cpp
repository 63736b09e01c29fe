// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/MessageBoxes.h"

#include "presentation/MessageTexts.h"

#include <QApplication>
#include <QMessageBox>

namespace tallyvane {
namespace {

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The program's texts start a new line with a carriage return.
QString lines(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

void ShowErrorBox(MessageBoxes& boxes, const QString& text)
{
    boxes.show(text + QLatin1Char('.'), QString::fromUtf8(ProgramCaption), MessageIcon::Error);
}

void QtMessageBoxes::show(const QString& text, const QString& caption, MessageIcon icon)
{
    QMessageBox box(qtIcon(icon), caption, lines(text), QMessageBox::Ok,
                    m_owner ? m_owner : QApplication::activeWindow());
    // The texts are the program's own and may hold "<": never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtMessageBoxes::askYesNo(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, lines(text), QMessageBox::Yes | QMessageBox::No,
                    m_owner ? m_owner : QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

} // namespace tallyvane
