// The benchmark's one table, as plain text for the terminal and as Markdown
// for the README, and the splice of the Markdown into the README.
#pragma once

#include <string>
#include <vector>

namespace orvane::bench {

struct TableRow {
    std::string figure;
    std::string ours;
    std::string floor;
    std::string ratio;
    std::string target;
    std::string met;
};

struct Table {
    std::vector<std::string> facts; // the machine and the run, one line each
    std::vector<TableRow> rows;
    std::vector<std::string> notes;
};

std::string plainText(const Table& table);
std::string markdown(const Table& table);

constexpr const char* readmeBeginMarker = "<!-- bench-results:begin -->";
constexpr const char* readmeEndMarker = "<!-- bench-results:end -->";

// Replaces what stands between the two markers with text. False, leaving
// the document as it was, when the markers are missing or out of order.
bool spliceBetweenMarkers(std::string& document, const std::string& text);

} // namespace orvane::bench
