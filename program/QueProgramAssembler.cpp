#include "program/QueProgramAssembler.h"

#include "catalogue/CardSet.h"
#include "program/NumberText.h"

namespace pavlune {

namespace {

// Writes a 16-bit little-endian operand where `patch` says, if it fits.
void writeOperand(std::vector<std::uint8_t>& bytes, const CardCode::Patch& patch, std::uint16_t operand) {
    const int position = patch.at(CardCode::kPatchPosition);
    if (position < 0 || static_cast<std::size_t>(position) + 2 > bytes.size()) {
        return;
    }
    const auto at = static_cast<std::size_t>(position);
    bytes[at] = static_cast<std::uint8_t>(operand & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(operand >> 8);
}

} // namespace

QueProgramAssembler::QueProgramAssembler(CatalogueView view) : view_(view) {}

bool QueProgramAssembler::isKnownCard(const CardSlot& slot) const {
    return slot.cardSet >= 0 && slot.cardSet < kCardSetCount && slot.cardIndex >= 0 &&
           slot.cardIndex < view_.getCardCount(slot.cardSet);
}

QueProgram QueProgramAssembler::assembleQueProgram(const FieldRows& rows) {
    line_ = 0;
    pendingEmptyLines_ = 0;
    openLoops_.clear();

    QueProgram program;
    program.programImageSize = view_.getProgramImageSize();
    program.padByte = view_.getPadByte();
    for (const FieldRow& row : rows) {
        std::vector<QueGroup> rowGroups;
        for (const auto& slot : row) {
            if (!slot || !isKnownCard(*slot)) {
                ++pendingEmptyLines_;
                continue;
            }
            settlePendingEmptyLines(rowGroups);
            rowGroups.push_back(cardGroup(*slot));
        }
        program.rows.push_back(std::move(rowGroups));
    }
    // Empty slots after the last card and loops left open produce nothing.
    openLoops_.clear();
    return program;
}

void QueProgramAssembler::settlePendingEmptyLines(std::vector<QueGroup>& rowGroups) {
    const auto size = static_cast<std::size_t>(view_.getInstructionSize());
    const auto fill = static_cast<std::uint8_t>(view_.getGapFillByte());
    for (int k = 0; k < pendingEmptyLines_; ++k) {
        QueGroup gap;
        gap.bytes.assign(size, fill);
        gap.firstLine = line_ + k;
        gap.displayLines.push_back(std::to_string(line_ + k + 1));
        gap.emptyLine = true;
        rowGroups.push_back(std::move(gap));
    }
    line_ += pendingEmptyLines_;
    pendingEmptyLines_ = 0;
}

bool QueProgramAssembler::takeMatchingLoopStart(const CardSlot& slot, OpenLoop& loopStart) {
    for (auto open = openLoops_.rbegin(); open != openLoops_.rend(); ++open) {
        if (open->record.pairEndIndex == slot.cardIndex && open->record.pairEndSet == slot.cardSet) {
            loopStart = *open;
            openLoops_.erase(std::next(open).base()); // entries above it stay open
            return true;
        }
    }
    return false;
}

QueGroup QueProgramAssembler::cardGroup(const CardSlot& slot) {
    const CardCode record = view_.getCardCode(slot.cardIndex, slot.cardSet);
    std::string text = record.code;
    std::vector<std::uint8_t> bytes = record.bytes;

    OpenLoop loopStart;
    if (takeMatchingLoopStart(slot, loopStart)) {
        const int startLine = loopStart.record.startLine;
        if (const CardCode::Patch* patch = record.twoBytePatch(CardCode::kPatchLine)) {
            writeOperand(bytes, *patch, static_cast<std::uint16_t>(startLine & 0xFFFF));
        }
        const CardCode::Patch* count = record.twoBytePatch(CardCode::kPatchCount);
        if (count && loopStart.record.kind == CardCode::input) {
            writeOperand(
                bytes, *count,
                toInstructionOperand(scaledInputNumber(loopStart.value, loopStart.record.multiplier)));
        }
        if (record.hasPlaceholder()) {
            // Shown counted from 1, as the display numbers its lines.
            const double shownLine = (static_cast<double>(startLine) + 1.0) * record.multiplier;
            text = substituteNumber(text, record.placeholder, shownLine);
        }
    } else if (record.hasPlaceholder()) {
        text = substituteNumber(text, record.placeholder, scaledInputNumber(slot.value, record.multiplier));
    }
    if (const CardCode::Patch* patch = record.twoBytePatch(CardCode::kPatchInput)) {
        writeOperand(bytes, *patch, toInstructionOperand(scaledInputNumber(slot.value, record.multiplier)));
    }
    if (const CardCode::Patch* count = record.twoBytePatch(CardCode::kPatchCount);
        count && !record.countPlaceholder.empty()) {
        // The compare as it will run, whether a start set it or not.
        const auto at = static_cast<std::size_t>(count->at(CardCode::kPatchPosition));
        const int turns = at + 2 <= bytes.size() ? bytes[at] | (bytes[at + 1] << 8) : 0;
        text = substituteNumber(text, record.countPlaceholder, turns);
    }

    QueGroup group;
    group.firstLine = line_;
    group.displayLines = displayLines(text);
    group.bytes = std::move(bytes);
    line_ += static_cast<int>(group.bytes.size() / 8);

    if (record.isLoopStart()) {
        OpenLoop open{record, slot.value};
        open.record.startLine = line_ - 1; // its last instruction: the loop top
        openLoops_.push_back(std::move(open));
    }
    return group;
}

std::vector<std::string> QueProgramAssembler::displayLines(const std::string& text) const {
    std::vector<std::string> lines;
    if (text.empty()) {
        return lines;
    }
    std::size_t start = 0;
    int number = line_ + 1;
    while (true) {
        const std::size_t end = text.find('\n', start);
        const std::string line =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        lines.push_back(std::to_string(number++) + ' ' + line);
        if (end == std::string::npos) {
            break;
        }
        start = end + 1; // a final line feed leaves an empty last line
    }
    return lines;
}

} // namespace pavlune
