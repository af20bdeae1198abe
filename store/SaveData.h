#pragma once

#include "engine/base/Ref.h"

#include <string>

// One saved program: its number, its title and the names of its two files,
// relative to the writable path. The store (SaveDataManager) fills it in at
// the first save; until then the identifier is 0 and the strings are empty.
class SaveData : public engine::Ref {
public:
    // A new, empty record, autoreleased.
    static SaveData* create();

    SaveData() = default;
    ~SaveData() override;

    // Empties the record; returns true.
    virtual bool init();

    // 1, 2, 3 ... in order of creation; 0 until first saved.
    int identifier = 0;
    // Shown in the list: the time stamp of the first save until the user
    // renames the program.
    std::string title;
    // The program file, "savedatas/<identifier>.plist".
    std::string path;
    // The thumbnail, "savedatas/img<identifier>.png".
    std::string imagepath;
    // The time stamp of the first save.
    std::string modify;
};
