#pragma once

#include <string>
#include <vector>

class SaveData;
class SaveDataManager;

// Every program of a store in one file, so that a teacher can carry a whole
// class between machines and browsers (and keep it when a browser's storage
// is wiped). A property list:
//
//   <dict> format: "PavluneCards class", version: 1,
//          programs: [<dict> title: <string>, program: <array of cards> ...] </dict>
//
// with the programs in the list's order (newest first). Each program is the
// same array of cards a single program file holds.
class ClassFile {
public:
    static constexpr const char* kFormat = "PavluneCards class";
    static constexpr int kVersion = 1;
    static constexpr const char* kFileName = "PavluneCards-class.plist";

    struct Exported {
        std::string bytes;
        int programs = 0; // in the file
        int skipped = 0;  // listed, but their files could not be read
    };
    static Exported exportAll(SaveDataManager& store);
    // The same file with only the programs of `records`, in their order.
    static Exported exportPrograms(SaveDataManager& store, const std::vector<SaveData*>& records);

    enum class Result {
        Added,      // every program of the file is a new entry
        Unreadable, // no class file (damaged, another kind, a later version): nothing changed
        NotSaved,   // the store could not write: the programs before it stay added
    };
    struct Imported {
        Result result = Result::Unreadable;
        int added = 0;
    };
    // Adds each program of the file as a new entry with its title, so that
    // they stand at the front of the list in the file's order. The whole file
    // is read and checked before anything is added.
    static Imported importAll(SaveDataManager& store, const std::string& bytes);
};
