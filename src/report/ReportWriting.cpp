// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportWriting.h"

#include "analysis/PreOrderWalk.h"

#include <algorithm>

namespace tallyvane::reportwriting {

int MaxLevelOf(const EntryTree& tree, int depthLimit)
{
    int maxLevel = 0;
    for (PreOrderWalk walk(tree, depthLimit); !walk.atEnd(); walk.next())
        maxLevel = std::max(maxLevel, walk.level());
    return maxLevel;
}

} // namespace tallyvane::reportwriting
