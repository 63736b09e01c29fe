// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

class QDropEvent;

namespace tallyvane {

// Drops onto the window. Analysing a folder only reads it: a drop may copy or link, never move,
// or the program that dragged would take the item as gone and might delete it. Copy when
// offered, else link.

// Accepts a drag that offers such an action, with it; ignores any other.
void OfferReadingDrop(QDropEvent& event);
// Hands the dropped items' paths (bytes) to take, which tells whether it took them. A drop not
// taken is refused, so the source is not told that anything happened to its item.
void TakeReadingDrop(QDropEvent& event, const std::function<bool(const std::vector<std::string>&)>& take);

} // namespace tallyvane
