#include "app/AppNavigator.h"

#include "editor/FieldScene.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/TransitionSlideInB.h"
#include "engine/2d/TransitionSlideInT.h"
#include "engine/base/Log.h"
#include "saves/SaveScene.h"
#include "widgets/Design.h"

namespace {

template <typename Transition> bool replaceWith(engine::Node* screen) {
    auto* scene = engine::Scene::create();
    if (!scene || !screen) {
        // What the screen could not load is logged already; the user stays where they are.
        engine::Log::error("app", "the next screen could not be built");
        return false;
    }
    scene->addChild(screen);
    auto* transition = Transition::create(design::kSceneTransitionDuration, scene);
    if (!transition) {
        return false;
    }
    engine::Director::getInstance()->replaceScene(transition);
    return true;
}

} // namespace

bool AppNavigator::openEditor(SaveData* record) {
    return replaceWith<engine::TransitionSlideInB>(FieldScene::create(record));
}

bool AppNavigator::openList() {
    return replaceWith<engine::TransitionSlideInT>(SaveScene::create());
}
