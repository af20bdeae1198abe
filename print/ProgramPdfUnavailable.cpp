// Builds without cairo and pango: nothing can be printed.
#include "print/ProgramPdf.h"

namespace pavlune {

bool ProgramPdf::isAvailable() {
    return false;
}

bool ProgramPdf::write(const FieldRows&, const std::string&, PaperSize, std::string& pdf,
                       std::string& error) {
    pdf.clear();
    error = "this build cannot print (no cairo)";
    return false;
}

} // namespace pavlune
