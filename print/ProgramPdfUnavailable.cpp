// Builds without cairo and pango: nothing can be printed.
#include "print/ProgramPdf.h"

#include <utility>

namespace pavlune {

ProgramPdf::ProgramPdf(const FieldRows& rows, std::string title, PaperSize paper)
    : rows_(rows), title_(std::move(title)), paper_(paper) {}

bool ProgramPdf::isAvailable() { return false; }

bool ProgramPdf::write(std::string& pdf, std::string& error) const {
    pdf.clear();
    error = "this build cannot print (no cairo)";
    return false;
}

} // namespace pavlune
