// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

namespace tallyvane {

// Seconds on a clock that never goes back; the run reads it, tests set it.
class ScanClock {
public:
    virtual ~ScanClock() = default;
    virtual double seconds() const = 0;
};

// The steady clock of the machine.
class SteadyScanClock final : public ScanClock {
public:
    double seconds() const override;
};

// How far a scan has come and how long it still needs.
struct ScanProgress {
    int percent = 0;                         // 0..99
    std::optional<std::int64_t> secondsLeft; // none while nothing was counted lately
};

// The progress of a scan that expects a known number of entries (the files and folders its file
// system holds), judged from the entries counted so far. The time left comes from the rate of
// the last few seconds, not from the start, so a scan that speeds up or slows down (a cold
// folder, a warm cache) is judged by what it does now.
//
// The percentage never goes back and stays at 99 or less until the scan ends: the file system
// may hold more than its count said, or the scan may count some files twice. Nothing is told
// in the first seconds, when the rate says little.
class ScanEstimate {
public:
    static constexpr double QuietSeconds = 2.0;   // nothing told before
    static constexpr double RateSeconds = 5.0;    // the rate is that of this last stretch
    static constexpr double SampleSpacing = 0.25; // samples of the count at most this often

    // expected: the entries the scan will count; 0 (unknown) gives no estimate at all.
    explicit ScanEstimate(std::uint64_t expected);

    // counted: the entries counted at `seconds` since the scan began (both never decrease).
    std::optional<ScanProgress> update(double seconds, std::uint64_t counted);

private:
    struct Sample {
        double seconds;
        std::uint64_t counted;
    };
    std::uint64_t m_expected;
    std::deque<Sample> m_samples;
    int m_percent = 0;
};

} // namespace tallyvane
