#include "export/ExportCommand.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "engine/base/FileUtils.h"
#include "export/FieldProgramParser.h"
#include "export/SavedProgramSource.h"
#include "export/SerialExport.h"
#include "export/TextEscaping.h"
#include "export/TransferPrinter.h"
#include "print/PaperSize.h"
#include "print/ProgramPdf.h"
#include "program/CardNumberRule.h"
#include "program/ProgramListing.h"
#include "program/QueProgramAssembler.h"
#include "program/TextTransferAssembler.h"
#include "program/TransferSchedule.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>

namespace pavlune {

namespace {

constexpr const char* kProgramName = "pavlune-export";

// Reads a stream to its end, refusing more than `limit` bytes. False when
// the stream failed or was too long (`tooLong` tells which).
bool readAll(std::istream& in, std::size_t limit, std::string& text, bool& tooLong) {
    text.clear();
    tooLong = false;
    char buffer[4096];
    while (in) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > limit) {
            tooLong = true;
            return false;
        }
    }
    return !in.bad();
}

// The file's name without its folder and extension: the printout's title.
std::string baseNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

ExportCommand::ExportCommand(std::istream& input, std::ostream& output, std::ostream& errors)
    : input_(input), output_(output), errors_(errors) {}

int ExportCommand::fail(const std::string& message) {
    errors_ << message << '\n';
    return kExitBadInput;
}

int ExportCommand::run(const std::vector<std::string>& arguments) {
    const ExportArgumentParser parser;
    ExportOptions options;
    std::string error;
    if (!parser.parse(arguments, options, error)) {
        return fail(std::string(kProgramName) + ": " + error + " (see --help)");
    }
    if (options.help) {
        output_ << parser.usage();
        return kExitOk;
    }
    const int serialActions = (options.sendDevice.empty() ? 0 : 1) + (options.stopDevice.empty() ? 0 : 1) +
                              (options.listPorts ? 1 : 0);
    const int printModes = (options.listing ? 1 : 0) + (options.lines ? 1 : 0) + (options.schedule ? 1 : 0) +
                           (options.printFile.empty() ? 0 : 1);
    if (serialActions + printModes > 1) {
        return fail(std::string(kProgramName) + ": --send, --stop, --list-ports, --listing, --lines, "
                                                "--schedule and --print exclude each other");
    }
    if (options.listPorts) {
        return SerialExport(output_, errors_).listPorts();
    }
    if (options.listPrograms) {
        SavedProgramSource::listPrograms(output_);
        return kExitOk;
    }
    if (!options.stopDevice.empty()) {
        if (!options.dialect) {
            return fail(std::string(kProgramName) + ": --dialect jam|latte|que is required (see --help)");
        }
        if (!options.file.empty()) {
            return fail(std::string(kProgramName) + ": --stop takes no FILE");
        }
        return SerialExport(output_, errors_).stop(options.stopDevice, *options.dialect);
    }
    return printProgram(options);
}

bool ExportCommand::readProgramFile(const std::string& file, std::string& text, std::string& error) {
    const std::string shownName = file == "-" ? "<stdin>" : escapeText(file);
    bool tooLong = false;
    bool read = false;
    if (file == "-") {
        read = readAll(input_, kMaxInputBytes, text, tooLong);
    } else {
        errno = 0;
        std::ifstream in(file, std::ios::binary);
        if (!in.is_open()) {
            error = shownName + ": cannot read: " + (errno != 0 ? std::strerror(errno) : "cannot open");
            return false;
        }
        read = readAll(in, kMaxInputBytes, text, tooLong);
    }
    if (tooLong) {
        error = shownName + ": larger than " + std::to_string(kMaxInputBytes) + " bytes";
        return false;
    }
    if (!read) {
        // Reading a directory, for one, fails here rather than at opening.
        error = shownName + ": cannot read: " + (errno != 0 ? std::strerror(errno) : "read error");
        return false;
    }
    return true;
}

bool ExportCommand::readRows(const ExportOptions& options, FieldRows& rows) {
    if (options.file.empty() == options.program.empty()) {
        fail(std::string(kProgramName) +
             ": give either FILE (- for standard input) or --program ID|FILE.plist (see --help)");
        return false;
    }
    std::string error;
    if (!options.program.empty()) {
        if (!SavedProgramSource::fieldRowsOf(options.program, rows, error)) {
            fail(std::string(kProgramName) + ": " + error);
            return false;
        }
    } else {
        std::string text;
        if (!readProgramFile(options.file, text, error)) {
            fail(error);
            return false;
        }
        FieldProgramParser::Error parseError;
        if (!FieldProgramParser().parse(text, rows, parseError)) {
            const std::string shownName = options.file == "-" ? "<stdin>" : escapeText(options.file);
            fail(shownName + ":" + std::to_string(parseError.line) + ": " + parseError.message);
            return false;
        }
    }

    // A number the editor would refuse to type never reaches the board.
    if (const std::optional<int> row = CardNumberRule::firstWrongRow(rows)) {
        fail(std::string(kProgramName) + ": line " + std::to_string(10 * (*row + 1)) +
             ": the number on its card is not one the card takes");
        return false;
    }
    return true;
}

int ExportCommand::printProgram(const ExportOptions& options) {
    // Paper cards are the same in every dialect.
    if (!options.dialect && options.printFile.empty()) {
        return fail(std::string(kProgramName) + ": --dialect jam|latte|que is required (see --help)");
    }
    FieldRows rows;
    if (!readRows(options, rows)) {
        return kExitBadInput;
    }

    if (!options.printFile.empty()) {
        // A saved program's title as the list gives it, else the file's name.
        std::string title = options.program.empty() ? "" : SavedProgramSource::titleOf(options.program);
        const std::string& source = options.program.empty() ? options.file : options.program;
        if (title.empty() && source != "-") {
            title = baseNameOf(source);
        }
        return printCards(options.printFile, rows, title);
    }
    if (!options.sendDevice.empty()) {
        return SerialExport(output_, errors_).send(options.sendDevice, *options.dialect, rows);
    }

    const CatalogueView view(*options.dialect, basic);
    std::string result;
    if (options.schedule) {
        result = TransferSchedule::forSend(view, rows).toJson() + "\n";
    } else if (options.lines) {
        result = ProgramListing::text(ProgramListing::linesOf(view, rows));
    } else if (view.isByteCoded()) {
        const QueProgram program = QueProgramAssembler(view).assembleQueProgram(rows);
        result = options.listing ? TransferPrinter::queListing(program) : TransferPrinter::queBytes(program);
    } else {
        const std::vector<SendUnit> units = TextTransferAssembler(view).assembleTextTransfer(rows);
        result = options.listing ? TransferPrinter::textListing(units) : TransferPrinter::textBytes(units);
    }
    output_.write(result.data(), static_cast<std::streamsize>(result.size()));
    output_.flush();
    return kExitOk;
}

int ExportCommand::printCards(const std::string& pdfFile, const FieldRows& rows, const std::string& title) {
    std::string pdf;
    std::string error;
    if (!ProgramPdf::write(rows, title, PaperSize::fromEnvironment(), pdf, error)) {
        return fail(std::string(kProgramName) + ": " + error);
    }
    // Relative to the working directory, not to the resource folders.
    std::error_code noWorkingDirectory;
    const std::string path = std::filesystem::absolute(pdfFile, noWorkingDirectory).string();
    int writeError = 0;
    if (!engine::FileUtils::getInstance()->writeStringToFile(pdf, path, &writeError)) {
        return fail(escapeText(pdfFile) + ": cannot write: " + std::strerror(writeError));
    }
    return kExitOk;
}

} // namespace pavlune
