// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/ScanEstimate.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tallyvane {

double SteadyScanClock::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ScanEstimate::ScanEstimate(std::uint64_t expected) : m_expected(expected)
{
    m_samples.push_back({0.0, 0});
}

std::optional<ScanProgress> ScanEstimate::update(double seconds, std::uint64_t counted)
{
    if (m_expected == 0)
        return std::nullopt;
    if (seconds - m_samples.back().seconds >= SampleSpacing)
        m_samples.push_back({seconds, counted});
    // The oldest sample kept is the last one at or before the start of the stretch.
    while (m_samples.size() > 1 && m_samples[1].seconds <= seconds - RateSeconds)
        m_samples.pop_front();
    if (seconds < QuietSeconds)
        return std::nullopt;

    const auto share = static_cast<int>(std::min<std::uint64_t>(counted, m_expected) * 100 / m_expected);
    m_percent = std::max(m_percent, std::min(share, 99));
    ScanProgress progress{m_percent, std::nullopt};

    const Sample& from = m_samples.front();
    const double span = seconds - from.seconds;
    if (span > 0 && counted > from.counted) {
        const double rate = static_cast<double>(counted - from.counted) / span;
        const std::uint64_t remaining = m_expected > counted ? m_expected - counted : 0;
        // The scan is not over: however close it is, at least a second remains.
        progress.secondsLeft = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(remaining / rate)));
    }
    return progress;
}

} // namespace tallyvane
