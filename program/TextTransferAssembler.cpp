#include "program/TextTransferAssembler.h"

#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"
#include "program/NumberText.h"

#include <algorithm>

namespace pavlune {

namespace {

constexpr int kLineNumberStep = 10;

} // namespace

TextTransferAssembler::TextTransferAssembler(CatalogueView view) : view_(view) {}

bool TextTransferAssembler::isKnownCard(const CardSlot& slot) const {
    return slot.cardSet >= 0 && slot.cardSet < kCardSetCount && slot.cardIndex >= 0 &&
           slot.cardIndex < view_.getCardCount(slot.cardSet);
}

SendUnit TextTransferAssembler::sequenceUnit(const CardCode& record) const {
    SendUnit unit;
    unit.text = record.code;
    if (record.appendLineEnd) {
        unit.text += view_.getLineEnd();
    }
    unit.charDelay = record.charDelay >= 0 ? record.charDelay : view_.getCharPacing();
    unit.echo = record.echo;
    return unit;
}

std::string TextTransferAssembler::cardText(const CardSlot& slot, const CardCode& record) const {
    if (!record.hasPlaceholder()) {
        return record.code;
    }
    return substituteNumber(record.code, record.placeholder,
                            scaledInputNumber(slot.value, record.multiplier));
}

std::vector<SendUnit> TextTransferAssembler::assembleTextTransfer(const FieldRows& rows) {
    std::vector<SendUnit> units;
    const CardCode breakCode = view_.getBreakCode();
    units.push_back({breakCode.code, breakCode.charDelay, false});
    // The reset goes out at the dialect's pace, whatever its own record says.
    units.push_back({view_.getResetCode().code, view_.getCharPacing(), false});
    for (const CardCode& record : view_.getPrologue()) {
        units.push_back(sequenceUnit(record));
    }
    const std::vector<SendUnit> program = assembleRows(rows);
    units.insert(units.end(), program.begin(), program.end());
    for (const CardCode& record : view_.getEpilogue()) {
        units.push_back(sequenceUnit(record));
    }
    return units;
}

std::vector<SendUnit> TextTransferAssembler::assembleRows(const FieldRows& rows) {
    braceDepth_ = 0;
    const int pacing = view_.getCharPacing();
    const std::string lineEnd = view_.getLineEnd();
    const std::string separator = view_.getStatementSeparator();
    std::vector<SendUnit> units;
    unitRows_.clear();
    // Every row has its number, cards or not, so numbers keep their place.
    int lineNumber = kLineNumberStep;
    int rowIndex = 0;
    for (const FieldRow& row : rows) {
        std::string rowText;
        int rowPause = pacing;
        bool endLine = true;
        bool firstCard = true;
        for (const auto& slot : row) {
            if (!slot || !isKnownCard(*slot)) {
                continue;
            }
            const CardCode record = view_.getCardCode(slot->cardIndex, slot->cardSet);
            if (firstCard) {
                if (view_.isLineNumbered()) {
                    rowText += std::to_string(lineNumber) + ' ';
                }
                firstCard = false;
            } else {
                rowText += separator;
            }
            rowText += cardText(*slot, record);
            if (record.charDelay >= 0) {
                rowPause = record.charDelay;
            }
            endLine = record.appendLineEnd;
        }
        if (!rowText.empty()) {
            if (endLine) {
                rowText += lineEnd;
            }
            const int level = std::max(0, indentLevel(rowText));
            units.push_back(
                {std::string(static_cast<std::size_t>(level) * 2, ' ') + rowText, rowPause, true});
            unitRows_.push_back(rowIndex);
        }
        lineNumber += kLineNumberStep;
        ++rowIndex;
    }
    return units;
}

int TextTransferAssembler::indentLevel(const std::string& rowText) {
    if (view_.getDialect() != latte) {
        return 0;
    }
    const int depthBefore = braceDepth_;
    // Each line feed settles the braces of the line it ends. Counting from
    // the row start instead would count a brace again at every later line
    // feed of a row that joins several multi-line cards.
    int lineChange = 0;
    for (const char c : rowText) {
        if (c == '{') {
            ++lineChange;
        } else if (c == '}') {
            --lineChange;
        } else if (c == '\n') {
            braceDepth_ += lineChange;
            lineChange = 0;
        }
    }
    return std::min(depthBefore, braceDepth_);
}

} // namespace pavlune
