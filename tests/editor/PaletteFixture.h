#pragma once

// A new program open in the editor, with the palette on `basic` and the
// dialect `jam` (both process-wide, so every test starts and ends there).

#include "catalogue/DeviceManager.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "engine/2d/Director.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/TextureCache.h"
#include "tests/saves/SaveScreenFixture.h"

#include <string>

class PaletteFixture : public SaveScreenTest {
protected:
    void SetUp() override {
        SaveScreenTest::SetUp();
        resetSelections();
        editor = made(FieldScene::create(nullptr));
        engine::Scene* scene = made(engine::Scene::create());
        scene->addChild(editor);
        present(scene);
    }
    void TearDown() override {
        SaveScreenTest::TearDown();
        resetSelections();
    }
    static void resetSelections() {
        pavlune::DeviceManager::getInstance()->setCurrentCardSet(pavlune::basic);
        pavlune::DeviceManager::getInstance()->setCurrentDialect(pavlune::jam);
    }

    static engine::Vec2 worldPosition(const engine::Node* node) {
        return node->getParent()->convertToWorldSpace(node->getPosition());
    }
    static bool shows(const engine::Sprite* sprite, const std::string& file) {
        return sprite->getTexture() == engine::Director::getInstance()->getTextureCache()->addImage(file);
    }
    std::string programFilePath() const { return root() + editor->getSession().record()->path; }

    FieldScene* editor = nullptr;
};
