#include "program/CardNumberRule.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "program/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pavlune {

CardNumberRule CardNumberRule::forCard(int cardSet, int cardIndex) {
    CardNumberRule rule;
    const std::optional<CardSet> set = cardSetFromIndex(cardSet);
    if (!set) {
        return rule;
    }
    for (int dialect = 0; dialect < kDialectCount; ++dialect) {
        const CatalogueView view(*dialectFromIndex(dialect), *set);
        if (cardIndex < 0 || cardIndex >= view.getCardCount(cardSet)) {
            return CardNumberRule();
        }
        const CardCode record = view.getCardCode(cardIndex, cardSet);
        if (record.kind != CardCode::input) {
            continue;
        }
        rule.takesNumber_ = true;
        rule.multipliers_.push_back(record.multiplier);
        // An input loop start sets the turns of its loop end's compare.
        rule.countsTurns_ = rule.countsTurns_ || record.isLoopStart();
    }
    return rule;
}

CardNumberRule::Problem CardNumberRule::check(const std::string& text) const {
    if (!takesNumber_) {
        return Problem::none;
    }
    if (text.empty()) {
        return Problem::empty;
    }
    if (text.find_first_not_of("0123456789.") != std::string::npos ||
        std::count(text.begin(), text.end(), '.') > 1 || text == ".") {
        return Problem::notANumber;
    }
    // Digits beyond what a double holds ("1" and 400 zeros) read as infinity.
    if (!std::isfinite(std::strtod(text.c_str(), nullptr))) {
        return Problem::tooLarge;
    }
    const std::size_t point = text.find('.');
    const std::size_t decimals = point == std::string::npos ? 0 : text.size() - point - 1;
    if (countsTurns_) {
        if (decimals > 0) {
            return Problem::notWhole;
        }
        // Leading zeros aside, more than five digits is beyond 65535.
        const std::size_t first = std::min(text.find_first_not_of('0'), text.size());
        if (text.size() - first > 5 || typedNumber(text, 1.0) > kMaxTurns) {
            return Problem::tooLarge;
        }
        if (typedNumber(text, 1.0) < kMinTurns) {
            return Problem::tooSmall;
        }
        return Problem::none;
    }
    if (!acceptTypedNumber(text, multipliers_)) {
        return Problem::tooLarge;
    }
    if (decimals > kMaxDecimals) {
        return Problem::tooFine;
    }
    return Problem::none;
}

std::optional<std::string> CardNumberRule::accept(const std::string& text) const {
    if (check(text) != Problem::none) {
        return std::nullopt;
    }
    std::string stored = text.starts_with('.') ? "0" + text : text;
    if (stored.ends_with('.')) {
        stored.pop_back();
    }
    return stored;
}

std::string CardNumberRule::limitText() const {
    if (countsTurns_) {
        return std::to_string(kMaxTurns);
    }
    const float largest =
        multipliers_.empty() ? 1.0f : *std::max_element(multipliers_.begin(), multipliers_.end());
    return formatNumber(kExponentFrom / largest);
}

std::optional<int> CardNumberRule::firstWrongRow(const FieldRows& rows) {
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (const std::optional<CardSlot>& slot : rows[row]) {
            if (slot && forCard(slot->cardSet, slot->cardIndex).check(slot->value) != Problem::none) {
                return static_cast<int>(row);
            }
        }
    }
    return std::nullopt;
}

} // namespace pavlune
