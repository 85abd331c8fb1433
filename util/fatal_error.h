// The one way a start-up failure ends the program.
#pragma once

#include <string>

namespace orvane {

// Prints the message (and the info log, when given) on standard output,
// waits for a key press when a person is at the terminal, and ends the
// process with status -1. Releases nothing first.
[[noreturn]] void fatalError(const std::string& message);
[[noreturn]] void fatalError(const std::string& message, const std::string& log);

} // namespace orvane
