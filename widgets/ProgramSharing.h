#pragma once

#include <vector>

class SaveData;

// Programs as files, offered by the list and by the editor's bar: one
// program out, every program out as one class file, a program or a class
// file in. Both screens ask through this interface; the application installs
// the one implementation at start-up, which asks the system's file chooser
// and tells the outcome in the screen's words. Each call returns at once.
class ProgramSharing {
public:
    virtual ~ProgramSharing() = default;

    // Asks where to keep the programs of `records` and writes them there:
    // one program as a program file, several as one class file.
    virtual void exportPrograms(const std::vector<SaveData*>& records) = 0;
    // The same for every program of the store.
    virtual void exportAll() = 0;
    // Asks for a program or class file and adds what it holds as new
    // programs, first in the list; a file that is neither changes nothing.
    virtual void importFile() = 0;

    // The installed implementation, or null (then the screens offer nothing).
    static ProgramSharing* get() { return instance; }
    static void install(ProgramSharing* sharing) { instance = sharing; }

private:
    static inline ProgramSharing* instance = nullptr;
};
