#pragma once

#include "export/ExportOptions.h"
#include "program/FieldRows.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace pavlune {

// pavlune-export as a function of its arguments and streams, so that tests
// run it in-process. Output is built whole before anything is written: on
// error standard output stays empty and standard error gets one line.
//
// Each action is one private member; `run` picks it from the options. New
// actions (sending to a device, listing ports) add an option in
// ExportArgumentParser, a member here and a branch in `run`.
class ExportCommand {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitBadInput = 2;
    // Input larger than this is refused rather than read to the end.
    static constexpr std::size_t kMaxInputBytes = 1 << 20;

    ExportCommand(std::istream& input, std::ostream& output, std::ostream& errors);

    int run(const std::vector<std::string>& arguments);

private:
    int printProgram(const ExportOptions& options);
    // The rows of FILE or --program; false once a failure is reported.
    bool readRows(const ExportOptions& options, FieldRows& rows);
    // Writes the program's paper cards to `pdfFile`.
    int printCards(const std::string& pdfFile, const FieldRows& rows, const std::string& title);
    // Reads FILE whole; false with a one-line message naming the file.
    bool readProgramFile(const std::string& file, std::string& text, std::string& error);
    int fail(const std::string& message);

    std::istream& input_;
    std::ostream& output_;
    std::ostream& errors_;
};

} // namespace pavlune
