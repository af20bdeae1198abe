// Rows files as pavlune-export reads them, then program generation in every
// dialect over whatever rows the parser accepted.
#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "export/FieldProgramParser.h"
#include "program/QueProgramAssembler.h"
#include "program/TextTransferAssembler.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pavlune::FieldRows rows;
    pavlune::FieldProgramParser::Error error;
    if (!pavlune::FieldProgramParser().parse(std::string_view(reinterpret_cast<const char*>(data), size),
                                             rows, error)) {
        return 0;
    }
    pavlune::TextTransferAssembler(pavlune::CatalogueView(pavlune::jam, pavlune::basic))
        .assembleTextTransfer(rows);
    pavlune::TextTransferAssembler(pavlune::CatalogueView(pavlune::latte, pavlune::basic))
        .assembleTextTransfer(rows);
    pavlune::QueProgramAssembler(pavlune::CatalogueView(pavlune::que, pavlune::basic))
        .assembleQueProgram(rows);
    return 0;
}
