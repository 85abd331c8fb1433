// The resident memory of this process as the kernel reports it.
#pragma once

namespace orvane::bench {

// The current resident set, in KiB; 0 when it cannot be read.
long residentKb();
// The resident set's high-water mark since the process began or since the
// last resetPeakResident, in KiB; 0 when it cannot be read.
long peakResidentKb();
// Starts the high-water mark afresh from the current resident set.
void resetPeakResident();

} // namespace orvane::bench
