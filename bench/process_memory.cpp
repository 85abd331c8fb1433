// Read from /proc/self/status; the peak is reset through clear_refs, so a
// measurement sees only what happens after the reset.
#include "bench/process_memory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace orvane::bench {
namespace {

long statusFieldKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0) {
            std::istringstream value(line.substr(field.size() + 1));
            long kb = 0;
            value >> kb;
            return kb;
        }
    }
    return 0;
}

} // namespace

long residentKb() {
    return statusFieldKb("VmRSS");
}

long peakResidentKb() {
    return statusFieldKb("VmHWM");
}

void resetPeakResident() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
}

} // namespace orvane::bench
