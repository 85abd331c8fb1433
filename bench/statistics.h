// The one statistic the benchmark reports: the median, which a few slow
// runs on a shared machine do not move.
#pragma once

#include <vector>

namespace orvane::bench {

// The middle value, or the mean of the two middle values; 0 for no values.
double median(std::vector<double> values);

} // namespace orvane::bench
