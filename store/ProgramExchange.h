#pragma once

#include <optional>
#include <string>

class SaveData;
class SaveDataManager;

// Programs in and out of the store as single files, so that a child's work
// can move between machines and browsers: the file is the program file as
// the store keeps it (a property list with an array of cards at its root).
class ProgramExchange {
public:
    struct Exported {
        std::string fileName; // the title, made safe for a file name, + ".plist"
        std::string bytes;
    };
    // The program of `data` (a listed entry) as a file; nothing when it was
    // never saved or its file cannot be read.
    static std::optional<Exported> exportProgram(SaveDataManager& store, SaveData* data);

    enum class ImportResult {
        Added,      // a new entry at the front of the list
        Unreadable, // not a program file (damaged, another kind of file, empty)
        NotSaved,   // a program, but the store could not write it
    };
    // Adds the program in `bytes` as a new entry through the store's own
    // save; `added` gets the new entry. It is titled after `fileName` (the
    // name the file came with, as `titleFor` reads it), or like every new
    // program when that gives no title the store takes.
    static ImportResult importProgram(SaveDataManager& store, const std::string& bytes,
                                      const std::string& fileName = {}, SaveData** added = nullptr);

    // The title a file name stands for: without its folders and its ".plist"
    // (the reverse of fileNameFor, up to the characters that one replaced).
    static std::string titleFor(const std::string& fileName);

    // A file name for `title`: characters that file systems refuse, control
    // characters and leading dots become '_'; an empty title becomes "program".
    static std::string fileNameFor(const std::string& title);
};
