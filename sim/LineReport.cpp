#include "sim/LineReport.h"

#include <charconv>
#include <ostream>

namespace pavlune {

namespace {

constexpr std::string_view kPrefix = "line ";
constexpr std::string_view kNoLine = "-";

// A whole decimal number, and nothing else.
std::optional<int> number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? std::optional(value) : std::nullopt;
}

} // namespace

LineReport::LineReport(std::ostream& output) : output_(output) {}

void LineReport::changed(const BoardChange& change) {
    switch (change.kind) {
    case BoardChange::Kind::run:
        ++current_.program;
        current_.line.reset(); // said once it runs its first line
        break;
    case BoardChange::Kind::stop:
    case BoardChange::Kind::end:
        current_.line.reset();
        write(); // now: a program that replaces it may follow in the same turn
        break;
    default:
        break;
    }
}

void LineReport::update(std::optional<int> runningLine) {
    current_.line = runningLine;
    write();
}

void LineReport::write() {
    if (current_.program == 0 || current_ == written_) {
        return;
    }
    written_ = current_;
    output_ << kPrefix << current_.program << ' ';
    if (current_.line) {
        output_ << *current_.line;
    } else {
        output_ << kNoLine;
    }
    output_ << std::endl; // flushed: the editor follows it live
}

std::optional<LineReport::Line> LineReport::parse(std::string_view text) {
    if (text.substr(0, kPrefix.size()) != kPrefix) {
        return std::nullopt;
    }
    text.remove_prefix(kPrefix.size());
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<int> program = number(text.substr(0, space));
    const std::string_view line = text.substr(space + 1);
    const std::optional<int> lineNumber = number(line);
    if (!program || *program < 1 || (!lineNumber && line != kNoLine)) {
        return std::nullopt;
    }
    return Line{*program, lineNumber};
}

} // namespace pavlune
