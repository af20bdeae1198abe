#include "catalogue/Catalogue.h"

namespace pavlune {

namespace {

// A fixed sequence: only the text and its sending fields are set.
CardCode sequence(std::string code, int charDelay, bool appendLineEnd = false, bool echo = false) {
    CardCode record;
    record.code = std::move(code);
    record.charDelay = charDelay;
    record.appendLineEnd = appendLineEnd;
    record.echo = echo;
    return record;
}

// Built before main so that no thread ever races the construction.
[[maybe_unused]] const Catalogue& kBuiltAtStartup = Catalogue::get();

} // namespace

const Catalogue& Catalogue::get() {
    static const Catalogue catalogue;
    return catalogue;
}

Catalogue::Catalogue() {
    buildPictureTables();
    buildCardCodes();
    buildSequencesAndConstants();
}

void Catalogue::buildSequencesAndConstants() {
    prologueCodes[jam] = {sequence("\n\n\n\n\nNEW", -1, true, true)};
    prologueCodes[latte] = {sequence("cat uart > .", 5, true, false),
                            sequence("var i=0;var o=0;", -1, true, true)};
    // que: no prologue, epilogue, break or reset.

    // The lone line feed after "SAVE 0" gives the board a second to store the
    // program before it is run.
    epilogueCodes[jam] = {sequence("SAVE 0", 60, false, true), sequence("\n", 1000, false, true),
                          sequence("RUN", -1, true, true)};
    // 0x04 ends the upload; the board needs two seconds after it and after its line end.
    epilogueCodes[latte] = {sequence("while(uart()!=-1);\n", 5, false, false),
                            sequence(std::string(1, '\x04'), 2000, true, false),
                            sequence("ms .", 5, true, false)};

    // Break and reset are sent as they stand: no line end, no echo.
    breakCodes = {sequence(std::string(1, '\x1B'), 500), sequence(" ", 20), sequence("", -1)};
    resetCodes = {sequence("\nOUT0\n", -1), sequence("ms\nout(0)\nexit()\n", -1), sequence("", -1)};

    charPacing = {50, 5, 10};
    lineNumbered = {true, false, false};
    byteCoded = {0, 0, 1};
    statementSeparators = {":", "", ""};
    lineEnds = {"\r\n", "\n", ""};
    instructionSizes = {0, 0, 8};
    gapFillBytes = {0, 0, 0};
    programImageSizes = {0, 0, 512};
    padBytes = {0, 0, 255};
}

} // namespace pavlune
