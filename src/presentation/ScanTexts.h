// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/ScanEstimate.h"

#include <QString>

#include <cstdint>

namespace tallyvane {

// The status bar's progress of a scan: "已完成 37%，约剩 12 秒", minutes and seconds past a
// minute ("约剩 2 分钟 5 秒"), and the share alone while the time left is not known.
QString ScanProgressText(const ScanProgress& progress);

// Why an entry was not counted in full, for its tooltip; empty for an entry the scan counted.
QString ScanMarkText(std::uint32_t attributes);

} // namespace tallyvane
