#include "program/RunningRows.h"

#include "program/QueProgramAssembler.h"
#include "program/TextTransferAssembler.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace pavlune {

namespace {

constexpr std::size_t kInstructionSize = 8; // as the catalogue's que byte codes

int lineEndsIn(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The latte board keeps what follows the first line of the prologue (the
// command that opens its file); the rest of the prologue comes before the
// program in that file.
int firstLatteProgramLine(const CatalogueView& view) {
    const std::vector<CardCode> prologue = view.getPrologue();
    int line = 1;
    for (std::size_t i = 1; i < prologue.size(); ++i) {
        line +=
            lineEndsIn(prologue[i].code) + (prologue[i].appendLineEnd ? lineEndsIn(view.getLineEnd()) : 0);
    }
    return line;
}

} // namespace

RunningRows::RunningRows(const CatalogueView& view, const FieldRows& rows) {
    if (view.isByteCoded()) {
        const QueProgram program = QueProgramAssembler(view).assembleQueProgram(rows);
        for (std::size_t row = 0; row < program.rows.size(); ++row) {
            for (const QueGroup& group : program.rows[row]) {
                if (group.emptyLine) {
                    continue; // the empty lines before a card are no card's
                }
                const int count = static_cast<int>(group.bytes.size() / kInstructionSize);
                for (int k = 0; k < count; ++k) {
                    rows_[group.firstLine + k] = static_cast<int>(row);
                }
            }
        }
        return;
    }
    TextTransferAssembler assembler(view);
    const std::vector<SendUnit> units = assembler.assembleRows(rows);
    int fileLine = firstLatteProgramLine(view);
    bool lineStart = true;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const int row = assembler.unitRows()[i];
        if (view.isLineNumbered()) {
            // A jam row is one numbered line; the board runs it by that number.
            rows_[std::atoi(units[i].text.c_str())] = row;
            continue;
        }
        // A line belongs to the row whose text starts it.
        for (const char c : units[i].text) {
            if (lineStart) {
                rows_.emplace(fileLine, row);
                lineStart = false;
            }
            if (c == '\n') {
                ++fileLine;
                lineStart = true;
            }
        }
    }
}

std::optional<int> RunningRows::rowOf(int boardLine) const {
    const auto found = rows_.find(boardLine);
    return found == rows_.end() ? std::nullopt : std::optional(found->second);
}

} // namespace pavlune
