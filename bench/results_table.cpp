// Column widths for the terminal, pipes for Markdown, and the splice
// between the README's two marker comments.
#include "bench/results_table.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace orvane::bench {
namespace {

constexpr std::size_t columnCount = 6;
using Cells = std::array<std::string, columnCount>;

const Cells header{"figure", "ours", "floor", "ratio", "target", "met"};

Cells cellsOf(const TableRow& row) {
    return {row.figure, row.ours, row.floor, row.ratio, row.target, row.met};
}

// Width in characters as a terminal shows them: UTF-8 continuation bytes
// take no column.
std::size_t displayWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void appendPadded(std::string& line, const std::string& cell, std::size_t width) {
    line += cell;
    const std::size_t used = displayWidth(cell);
    if (used < width) {
        line.append(width - used, ' ');
    }
}

} // namespace

std::string plainText(const Table& table) {
    std::vector<Cells> lines{header};
    for (const TableRow& row : table.rows) {
        lines.push_back(cellsOf(row));
    }
    std::array<std::size_t, columnCount> widths{};
    for (const Cells& cells : lines) {
        for (std::size_t c = 0; c < columnCount; ++c) {
            widths[c] = std::max(widths[c], displayWidth(cells[c]));
        }
    }
    std::ostringstream text;
    for (const std::string& fact : table.facts) {
        text << fact << '\n';
    }
    text << '\n';
    for (const Cells& cells : lines) {
        std::string line;
        for (std::size_t c = 0; c < columnCount; ++c) {
            appendPadded(line, cells[c], c + 1 < columnCount ? widths[c] + 2 : 0);
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text << line << '\n';
    }
    return text.str();
}

std::string markdown(const Table& table) {
    std::ostringstream text;
    for (const std::string& fact : table.facts) {
        text << fact << "  \n";
    }
    text << '\n';
    text << "| figure | ours | floor | ratio | target | met |\n";
    text << "| --- | ---: | ---: | ---: | ---: | :---: |\n";
    for (const TableRow& row : table.rows) {
        text << "| " << row.figure << " | " << row.ours << " | " << row.floor << " | " << row.ratio
             << " | " << row.target << " | " << row.met << " |\n";
    }
    if (!table.notes.empty()) {
        text << '\n';
        for (const std::string& note : table.notes) {
            text << "- " << note << '\n';
        }
    }
    return text.str();
}

bool spliceBetweenMarkers(std::string& document, const std::string& text) {
    const std::string begin = readmeBeginMarker;
    const std::size_t start = document.find(begin);
    if (start == std::string::npos) {
        return false;
    }
    const std::size_t contentStart = start + begin.size();
    const std::size_t end = document.find(readmeEndMarker, contentStart);
    if (end == std::string::npos) {
        return false;
    }
    document.replace(contentStart, end - contentStart, "\n" + text + "\n");
    return true;
}

} // namespace orvane::bench
