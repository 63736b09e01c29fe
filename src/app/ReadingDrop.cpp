// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReadingDrop.h"

#include "platform/FileNames.h"

#include <QDropEvent>
#include <QMimeData>

#include <optional>

namespace tallyvane {
namespace {

std::optional<Qt::DropAction> readingDropAction(const QDropEvent& event)
{
    if (!event.mimeData()->hasUrls())
        return std::nullopt;
    if (event.proposedAction() == Qt::CopyAction || event.proposedAction() == Qt::LinkAction)
        return event.proposedAction();
    if (event.possibleActions() & Qt::CopyAction)
        return Qt::CopyAction;
    if (event.possibleActions() & Qt::LinkAction)
        return Qt::LinkAction;
    return std::nullopt;
}

} // namespace

void OfferReadingDrop(QDropEvent& event)
{
    if (const std::optional<Qt::DropAction> action = readingDropAction(event)) {
        event.setDropAction(*action);
        event.accept();
    } else {
        event.ignore();
    }
}

void TakeReadingDrop(QDropEvent& event, const std::function<bool(const std::vector<std::string>&)>& take)
{
    const std::optional<Qt::DropAction> action = readingDropAction(event);
    std::vector<std::string> paths;
    for (const QUrl& url : event.mimeData()->urls())
        paths.push_back(LocalFilePath(url).value_or(std::string()));
    if (action && take(paths)) {
        event.setDropAction(*action);
        event.accept();
    } else {
        event.setDropAction(Qt::IgnoreAction);
        event.ignore();
    }
}

} // namespace tallyvane
