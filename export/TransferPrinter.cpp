#include "export/TransferPrinter.h"

#include "export/TextEscaping.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace pavlune {

std::string TransferPrinter::textBytes(const std::vector<SendUnit>& units) {
    std::string bytes;
    for (const SendUnit& unit : units) {
        bytes += unit.text;
    }
    return bytes;
}

std::string TransferPrinter::queBytes(const QueProgram& program) {
    return program.image();
}

std::string TransferPrinter::textListing(const std::vector<SendUnit>& units) {
    std::ostringstream out;
    for (const SendUnit& unit : units) {
        // A negative pause means none.
        out << std::setw(5) << std::max(0, unit.charDelay) << " ms  " << (unit.echo ? "echo  " : "silent")
            << "  \"" << escapeText(unit.text) << "\"\n";
    }
    return out.str();
}

std::string TransferPrinter::queListing(const QueProgram& program) {
    std::ostringstream out;
    int rowNumber = 0;
    for (const auto& row : program.rows) {
        ++rowNumber;
        for (const QueGroup& group : row) {
            const std::string bytes(group.bytes.begin(), group.bytes.end());
            out << "row " << std::setw(2) << rowNumber << "  line " << std::setw(3) << group.firstLine << "  "
                << hexBytes(bytes);
            for (const std::string& line : group.displayLines) {
                out << "  \"" << escapeText(line) << '"';
            }
            out << '\n';
        }
    }
    const std::string pad(1, program.padByte);
    out << "padding " << program.paddingByteCount() << " bytes of " << hexBytes(pad) << '\n';
    return out.str();
}

} // namespace pavlune
