#include "editor/FieldScene.h"

#include "editor/FieldThumbnail.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/cards/NumberEditor.h"
#include "editor/link/BoardLink.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/RenderTexture.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/MoveTo.h"
#include "store/SaveDataManager.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"
#include "widgets/PressedButton.h"
#include "widgets/ScreenNavigator.h"

#include <new>

using engine::Size;
using engine::Vec2;

FieldScene* FieldScene::create(SaveData* record) {
    auto* scene = new (std::nothrow) FieldScene();
    if (scene && scene->init(record)) {
        scene->autorelease();
        return scene;
    }
    delete scene;
    return nullptr;
}

FieldScene::FieldScene() = default;

FieldScene::~FieldScene() {
    if (fieldView) {
        fieldView->delegate = nullptr;
    }
}

bool FieldScene::init(SaveData* data) {
    if (!Layer::init()) {
        return false;
    }
    record = data ? data : SaveData::create();
    paletteLayer = engine::Layer::create();
    if (!record || !paletteLayer) {
        return false;
    }
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    if (engine::Sprite* trashSprite = TrashCan::createSprite(visible)) {
        paletteLayer->addChild(trashSprite);
        trash = std::make_unique<TrashCan>(trashSprite);
    }
    if (!buildField()) {
        return false;
    }
    addChild(fieldView);
    addChild(paletteLayer);
    buildBackButton();
    {
        // Board link. Stand-ins, until the bar, play and stop of the run controls
        // arrive: a bottom bar (closed at y -92) with its panel, play, stop.
        bottomBar = engine::Layer::create();
        auto* panel = engine::LayerColor::create(engine::Color4B::WHITE, design::kWidth - design::kPaletteWidth, 96);
        engine::Sprite* play = engine::Sprite::create("res/r_play.png");
        engine::Sprite* stop = engine::Sprite::create("res/r_stop.png");
        if (!bottomBar || !panel || !play || !stop) {
            return false;
        }
        bottomBar->setPosition(0, -92);
        panel->setPosition(design::kPaletteWidth, 0);
        bottomBar->addChild(panel);
        addChild(bottomBar);
        play->setPosition(visible.width - play->getContentSize().width / 2 - 30, visible.height / 2);
        stop->setPosition(visible.width - stop->getContentSize().width / 2 - 10, visible.height / 2 - 120);
        addChild(play);
        addChild(stop);
        BoardLinkHooks hooks{[this] {
                                 bottomBar->stopAllActions();
                                 bottomBar->runAction(engine::MoveTo::create(0.2f, Vec2(0, 0)));
                             },
                             [this](std::function<void()> done) { captureThumbnail(std::move(done)); },
                             [this] { return board->fieldRows(); }};
        boardLink = std::make_unique<BoardLink>(this, bottomBar, std::move(hooks));
        boardLink->attachRunButtons(play, stop);
        boardLink->startSerial();
    }
    loadField();
    return true;
}

bool FieldScene::buildField() {
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    fieldView = FieldScrollView::create(visible);
    if (!fieldView) {
        return false;
    }
    fieldView->delegate = this;
    fieldView->setContentSize(Size(visible.width * 1.5f, visible.height * 7.33f));
    fieldView->setContentOffset(Vec2(0, -visible.height * 6.33f));
    fieldView->setZoomScale(1.0f);
    fieldView->minScale = 0.5f;
    fieldView->maxScale = 1.0f;
    fieldView->bounceable = false;
    if (auto* paper = engine::LayerColor::create(engine::Color4B::WHITE, visible.width * 2, visible.height * 7.33f)) {
        paper->setPosition(-visible.width / 2, 0);
        fieldView->addChild(paper);
    }
    board = FieldBoard::create(fieldView, trash.get());
    if (!board) {
        return false;
    }
    // Inserting or deleting a row is a finished edit like any other.
    board->onRowsEdited = [this] { saveField(); };
    return true;
}

void FieldScene::buildBackButton() {
    if (auto* tab = engine::Sprite::create("res/r_record_back.png")) {
        const Size size = tab->getContentSize();
        tab->setPosition(design::kWidth - size.width / 2, design::kHeight - size.height / 2);
        addChild(tab);
    }
    backButton = engine::Sprite::create("res/r_record.png");
    if (!backButton) {
        return;
    }
    const Size size = backButton->getContentSize();
    backButton->setPosition(design::kWidth - size.width / 2 - 10, design::kHeight - size.height / 2 - 10);
    addChild(backButton);
    PressedButton::attach(backButton, [this] { goBack(); });
}

void FieldScene::saveField() {
    if (!record || !board) {
        return;
    }
    SaveDataManager* store = SaveDataManager::getInstance();
    if (!store->saveProgram(record, board->save())) {
        captureThumbnail(nullptr);
    }
}

void FieldScene::loadField() {
    if (!board) {
        return;
    }
    board->load(SaveDataManager::getInstance()->loadProgram(record));
}

void FieldScene::captureThumbnail(std::function<void()> done) {
    engine::RenderTexture* picture =
        FieldThumbnail::capture(fieldView->container, engine::Director::getInstance()->getVisibleSize());
    FieldThumbnail::write(SaveDataManager::getInstance(), record, picture, std::move(done));
}

void FieldScene::openNumberEditor(InputCardSprite* card) {
    if (numberEditor || !card) {
        return;
    }
    NumberEditor* editor = NumberEditor::create(card);
    if (!editor) {
        return;
    }
    editor->onCommit = [this](NumberEditor*, InputCardSprite* edited) {
        if (board) {
            board->model().setCardValue(edited->modelId, edited->getValue());
        }
        numberEditor = nullptr;
        saveField();
    };
    editor->onCancel = [this](NumberEditor*, InputCardSprite*) { numberEditor = nullptr; };
    numberEditor = editor;
    addChild(editor);
}

void FieldScene::goBack() {
    if (leaving) {
        return;
    }
    if (boardLink && !boardLink->isIdle()) {
        // A search or a transfer still reports to this scene.
        boardLink->showLoadingOverlay();
        scheduleOnce([this](float) { goBack(); }, 0.5f, "waitForBoardLink");
        return;
    }
    leaving = true;
    // The list shows the program's picture, so it is written before leaving.
    engine::RefPtr<FieldScene> self(this);
    captureThumbnail([self] {
        ScreenNavigator* navigator = ScreenNavigator::get();
        self->leaving = navigator && navigator->openList();
    });
}
