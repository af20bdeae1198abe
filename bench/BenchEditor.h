#pragma once

#include <string>

namespace engine {
class HeadlessDriver;
class Scene;
} // namespace engine

class FieldScene;
class SaveData;

// The editor as the editor benchmarks use it: a store in a folder of their
// own and a saved program of 80 cards, opened in FieldScene on the headless
// engine (software renderer).
//
// The program: 40 row cards (number cards on 6 rows) and 40 loose cards
// scattered right of the rows (4 of them number cards), 10 number cards in
// all (2 "wait any", 8 "loop any" with values). With a gap row, that row's
// card lies loose instead, so a block lifted above it ends there.
class BenchEditor {
public:
    // `folder` empty: a new folder below /tmp, removed again by the destructor.
    explicit BenchEditor(std::string folder);
    ~BenchEditor();
    BenchEditor(const BenchEditor&) = delete;
    BenchEditor& operator=(const BenchEditor&) = delete;

    const std::string& folder() const { return folder_; }

    // Saves the program (row slots from a blank editor) and returns its record.
    SaveData* saveProgram(int gapRow = -1);
    SaveData* record() const { return record_; }

    // Runs `scene` in place of the running one (released on that frame).
    static void show(engine::HeadlessDriver& driver, engine::Scene* scene);
    // Opens `record` in a new editor and draws one frame; exits the process
    // when the editor cannot be made.
    static FieldScene* open(engine::HeadlessDriver& driver, SaveData* record);
    // What the opened program holds, on one line.
    static void describe(FieldScene* editor);

private:
    std::string folder_;
    bool ownFolder_ = false;
    SaveData* record_ = nullptr;
};
