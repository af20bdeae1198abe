#include "export/FieldProgramParser.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "export/TextEscaping.h"

#include <charconv>

namespace pavlune {

std::optional<int> FieldProgramParser::cardSetNamed(std::string_view token) {
    if (token == "basic" || token == "0") {
        return basic;
    }
    if (token == "paprika" || token == "1") {
        return paprika;
    }
    if (token == "full" || token == "2") {
        return full;
    }
    return std::nullopt;
}

bool FieldProgramParser::parse(std::string_view text, FieldRows& rows, Error& error) const {
    rows.clear();
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        ++lineNumber;
        const std::size_t end = text.find('\n', start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        start = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (lineNumber > kFieldRowCount) {
            error = {lineNumber, "more than " + std::to_string(kFieldRowCount) + " rows"};
            return false;
        }
        FieldRow row;
        std::string message;
        if (!parseLine(line, row, message)) {
            error = {lineNumber, message};
            return false;
        }
        rows.push_back(std::move(row));
    }
    return true;
}

bool FieldProgramParser::parseLine(std::string_view line, FieldRow& row, std::string& message) const {
    if (line.empty()) {
        row.assign(1, std::nullopt);
        return true;
    }
    const std::size_t setEnd = line.find(' ');
    const std::string_view setToken = line.substr(0, setEnd);
    const std::optional<int> set = cardSetNamed(setToken);
    if (!set) {
        message =
            "unknown card set \"" + escapeText(setToken) + "\" (expected basic, paprika, full, 0, 1 or 2)";
        return false;
    }
    if (setEnd == std::string_view::npos) {
        message = "missing card index after \"" + escapeText(setToken) + "\"";
        return false;
    }
    const std::string_view rest = line.substr(setEnd + 1);
    const std::size_t indexEnd = rest.find(' ');
    const std::string_view indexToken = rest.substr(0, indexEnd);

    // The card count is the same in every dialect.
    const int cardCount = CatalogueView(jam, basic).getCardCount(*set);
    int index = -1;
    const char* first = indexToken.data();
    const char* last = first + indexToken.size();
    const auto [stop, status] = std::from_chars(first, last, index);
    if (indexToken.empty() || status != std::errc() || stop != last || index < 0 || index >= cardCount) {
        message = "unknown card index \"" + escapeText(indexToken) + "\" in set " + std::string(setToken) +
                  " (expected 0 to " + std::to_string(cardCount - 1) + ")";
        return false;
    }

    CardSlot slot;
    slot.cardSet = *set;
    slot.cardIndex = index;
    if (indexEnd != std::string_view::npos) {
        slot.value = std::string(rest.substr(indexEnd + 1));
    }
    row.assign(1, std::move(slot));
    return true;
}

} // namespace pavlune
