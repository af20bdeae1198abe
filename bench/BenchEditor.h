#pragma once

#include <string>

namespace engine {
class HeadlessDriver;
class Scene;
} // namespace engine

class FieldScene;
class SaveData;

// The program a benchmark saves: cards on the rows from `firstRow` on and
// loose ones scattered right of the rows, number cards among both. The usual
// one has 80 cards: 40 row cards (number cards on 6 rows) and 40 loose (4 of
// them number cards), 10 number cards in all (2 "wait any", 8 "loop any"
// with values). With a gap row, that row's card lies loose instead, so a
// block lifted above it ends there.
struct BenchProgramShape {
    int firstRow = 0;
    int rowCards = 40;
    int looseCards = 40;
    int gapRow = -1;
    // How the figures name it.
    const char* name = "80 cards";
};

// The editor as the editor benchmarks use it: a store in a folder of their
// own and a saved program, opened in FieldScene on the headless engine
// (software renderer).
class BenchEditor {
public:
    using Shape = BenchProgramShape;
    // 6 cards on the rows from `firstRow` on, none loose.
    static Shape small(int firstRow, int gapRow = -1) { return {firstRow, 6, 0, gapRow, "6 cards"}; }
    // 300 cards: every row taken, 260 loose.
    static Shape large(int gapRow = -1) { return {0, 40, 260, gapRow, "300 cards"}; }

    // `folder` empty: a new folder below /tmp, removed again by the destructor.
    explicit BenchEditor(std::string folder);
    ~BenchEditor();
    BenchEditor(const BenchEditor&) = delete;
    BenchEditor& operator=(const BenchEditor&) = delete;

    const std::string& folder() const { return folder_; }

    // Saves the program (row slots from a blank editor) and returns its record.
    SaveData* saveProgram(const Shape& shape = Shape{});
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
