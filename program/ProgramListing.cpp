#include "program/ProgramListing.h"

#include "program/QueProgramAssembler.h"
#include "program/TextTransferAssembler.h"

#include <cstdint>
#include <cstdio>

namespace pavlune {

namespace {

// Every que instruction is this long, as the catalogue's byte codes are.
constexpr std::size_t kInstructionSize = 8;

// The lines of a sent text, without their line ends ("\r\n" in jam).
void appendTextLines(const std::string& text, std::vector<ListingLine>& lines) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back({"", line, ""});
        start = end + 1;
    }
}

std::string hexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    char pair[3];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        out += (i == 0 ? "" : " ");
        out += pair;
    }
    return out;
}

// A display line without the line number in front of it ("3 LEDを つける").
std::string readingOf(const std::string& displayLine) {
    const std::size_t space = displayLine.find(' ');
    return space == std::string::npos ? std::string() : displayLine.substr(space + 1);
}

} // namespace

std::vector<ListingLine> ProgramListing::linesOf(const CatalogueView& view, const FieldRows& rows) {
    if (view.isByteCoded()) {
        return queLines(QueProgramAssembler(view).assembleQueProgram(rows));
    }
    return textLines(TextTransferAssembler(view).assembleRows(rows));
}

std::vector<ListingLine> ProgramListing::textLines(const std::vector<SendUnit>& rowUnits) {
    std::vector<ListingLine> lines;
    for (const SendUnit& unit : rowUnits) {
        appendTextLines(unit.text, lines);
    }
    return lines;
}

std::vector<ListingLine> ProgramListing::queLines(const QueProgram& program) {
    std::vector<ListingLine> lines;
    for (const auto& row : program.rows) {
        for (const QueGroup& group : row) {
            const std::size_t instructions = group.bytes.size() / kInstructionSize;
            for (std::size_t k = 0; k < instructions; ++k) {
                ListingLine line{std::to_string(group.firstLine + static_cast<int>(k) + 1),
                                 hexBytes(group.bytes.data() + k * kInstructionSize, kInstructionSize), ""};
                if (k < group.displayLines.size()) {
                    line.reading = readingOf(group.displayLines[k]);
                }
                lines.push_back(std::move(line));
            }
        }
    }
    if (const std::size_t padding = program.paddingByteCount(); padding > 0) {
        const auto pad = static_cast<std::uint8_t>(program.padByte);
        lines.push_back({"", hexBytes(&pad, 1) + " × " + std::to_string(padding), "のこりを うめる"});
    }
    return lines;
}

std::string ProgramListing::text(const std::vector<ListingLine>& lines) {
    std::string out;
    for (const ListingLine& line : lines) {
        if (!line.number.empty() || !line.reading.empty()) {
            // que: the number right-aligned in three places.
            out += std::string(line.number.size() < 3 ? 3 - line.number.size() : 0, ' ') + line.number + "  ";
        }
        out += line.code;
        if (!line.reading.empty()) {
            out += "  " + line.reading;
        }
        out += '\n';
    }
    return out;
}

} // namespace pavlune
