// Runs a program as a child with its standard output silenced, and reads
// back what it writes on its report channel (file descriptor 3).
#pragma once

#include <string>
#include <vector>

namespace orvane::bench {

// The descriptor a child writes its report to.
constexpr int reportDescriptor = 3;

struct ChildOutcome {
    bool succeeded = false; // exited by itself with status 0
    std::string report;
};

ChildOutcome runQuietly(const std::vector<std::string>& arguments);

} // namespace orvane::bench
