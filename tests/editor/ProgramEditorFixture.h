#pragma once

// The editor open on a listed program that holds the given elements, on the
// headless engine with the process-wide store.

#include "editor/FieldScene.h"
#include "engine/base/Value.h"
#include "tests/saves/SaveScreenFixture.h"

#include <gtest/gtest.h>

class ProgramEditorTest : public SaveScreenTest {
protected:
    FieldScene* openProgram(const engine::ValueVector& elements) {
        record = addPrograms(1).front();
        EXPECT_NE(SaveDataManager::getInstance()->saveProgram(record, elements),
                  SaveDataManager::SaveResult::Failed);
        editor = made(FieldScene::create(record));
        engine::Scene* scene = made(engine::Scene::create());
        scene->addChild(editor);
        present(scene);
        driver->step();
        return editor;
    }

    SaveData* record = nullptr;
    FieldScene* editor = nullptr;
};
