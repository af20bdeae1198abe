#pragma once

#include "engine/base/Geometry.h"
#include "program/FieldRows.h"

#include <ostream>
#include <string>

namespace pavlune {

// The programs saved by the editor, for the command line: their list, and the
// field program of one of them made exactly as the editor makes it (the cards
// put where the file says, snapped to the rows by the field model).
class SavedProgramSource {
public:
    // One line per saved program, newest first: identifier, time stamp and
    // title, separated by tabs (the title escaped like every other text).
    static void listPrograms(std::ostream& out);

    // `program` is a saved program's identifier or the path of a program file
    // (ending in ".plist"). False with a one-line reason when it names no
    // saved program or the file cannot be read as a program.
    static bool fieldRowsOf(const std::string& program, FieldRows& rows, std::string& error);

    // The title the list gives the saved program with this identifier; empty
    // for a program file or an identifier that names none.
    static std::string titleOf(const std::string& program);

    // The design size of a picture (half its pixel size), read from the PNG
    // header; (0, 0) when the file is missing or no PNG.
    static engine::Size pictureDesignSize(const std::string& resource);
};

} // namespace pavlune
