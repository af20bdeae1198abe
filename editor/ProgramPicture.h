#pragma once

#include "editor/FieldThumbnail.h"
#include "engine/base/Value.h"

class SaveData;

// The list's picture of a program that was never open in the editor (one
// just imported): its cards are laid on a field of their own, off the
// screen, and drawn as the editor draws its own picture when it leaves.
class ProgramPicture {
public:
    // Draws `program` (the program file's elements) and writes it as
    // `record`'s picture; `done` runs on the main thread once written.
    static void draw(SaveData* record, const engine::ValueVector& program, FieldThumbnail::Done done);
};
