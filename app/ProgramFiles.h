#pragma once

#include "widgets/ProgramSharing.h"

#include <string>
#include <vector>

namespace engine {
class FileChooser;
struct FileChoice;
} // namespace engine

class SaveDataManager;

// Programs as files through the system's file chooser: a program file or a
// class file out, either in. The files are those of ProgramExchange and
// ClassFile, the same on every platform, so a program moves between a
// browser and a desktop. An imported program gets its picture at once. Every
// outcome but a cancel is told in the list's words over the running scene.
class ProgramFiles : public ProgramSharing {
public:
    // `chooser` asks the user (the system's in the application); not owned.
    explicit ProgramFiles(engine::FileChooser& chooser);
    ~ProgramFiles() override;
    ProgramFiles(const ProgramFiles&) = delete;
    ProgramFiles& operator=(const ProgramFiles&) = delete;

    void exportPrograms(const std::vector<SaveData*>& records) override;
    void exportAll() override;
    void importFile() override;

private:
    // Adds the programs of a chosen file (`name` as it came) and tells how it went.
    void add(const std::string& bytes, const std::string& name);
    // What an open came to: the file's programs added, or why not.
    void added(const engine::FileChoice& choice);
    // False, with the message, while another question waits for the user.
    bool chooserFree() const;
    // Tells where the file went; `skipped`: some programs could not be read.
    static void exported(const engine::FileChoice& choice, bool skipped);
    // Writes a class file of `records` where the user says.
    void exportClass(const std::vector<SaveData*>& records);
    // Draws the pictures of the `count` programs at the list's start, and
    // shows the list again (if it is shown) once they are written.
    static void drawPictures(int count);

    engine::FileChooser& chooser_;
};
