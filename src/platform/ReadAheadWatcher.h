// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tallyvane {

struct ReadAheadFolder;

// What a test watches of a scan's read-ahead, to hold a worker or the scan at a known point
// instead of waiting a while. Called without the session's lock.
class ReadAheadWatcher {
public:
    virtual ~ReadAheadWatcher() = default;
    // A batch of folder was read ahead, by a worker or by the scan lending a hand.
    virtual void batchRead(const ReadAheadFolder& folder) = 0;
    // A worker stops: its scan has ended, or the read-ahead failed.
    virtual void workerEnds() = 0;
};

} // namespace tallyvane
