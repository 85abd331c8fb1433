// Rewriting one line of a shader's text, whatever its line endings.
#include "platform/glsl_es.h"

#include <sstream>

namespace orvane::platform {
namespace {

bool isBlank(const std::string& text, std::size_t from, std::size_t to) {
    return text.find_first_not_of(" \t\r\f\v", from) >= to;
}

// `#version 330 core`, however spaced, as the preprocessor reads it.
bool isDesktopVersionLine(const std::string& line) {
    std::istringstream words(line);
    std::string hash;
    std::string directive;
    words >> hash;
    if (hash == "#") {
        words >> directive;
    } else if (hash.size() > 1 && hash[0] == '#') {
        directive = hash.substr(1);
    }
    std::string number;
    std::string profile;
    std::string rest;
    words >> number >> profile;
    return directive == "version" && number == "330" && profile == "core" && !(words >> rest);
}

} // namespace

std::string toGlslEs300(const std::string& source) {
    std::size_t start = 0;
    int lineNumber = 1;
    for (;;) {
        const std::size_t end = source.find('\n', start);
        const std::size_t lineEnd = end == std::string::npos ? source.size() : end;
        if (!isBlank(source, start, lineEnd)) {
            if (!isDesktopVersionLine(source.substr(start, lineEnd - start))) {
                return source;
            }
            // In GLSL ES 3.00 the line after `#line n` is line n.
            return source.substr(0, start) + "#version 300 es\nprecision highp float;\n#line " +
                   std::to_string(lineNumber + 1) + source.substr(lineEnd);
        }
        if (end == std::string::npos) {
            return source;
        }
        start = end + 1;
        ++lineNumber;
    }
}

} // namespace orvane::platform
