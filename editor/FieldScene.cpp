#include "editor/FieldScene.h"

#include "editor/FieldThumbnail.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/cards/NumberEditor.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "editor/palette/CardPalette.h"
#include "editor/palette/DialectToggle.h"
#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/RenderTexture.h"
#include "engine/2d/Sprite.h"
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
    // Palette room: the card palette with its set tabs, and the dialect toggle.
    palette = CardPalette::create(board.get(), this);
    dialectToggle = DialectToggle::create(board.get());
    if (!palette || !dialectToggle) {
        return false;
    }
    paletteLayer->addChild(palette);
    board->onUseCountChanged = [this](int cardSet, int cardIndex) { palette->updateUseCount(cardSet, cardIndex); };
    palette->getDrag().onCardPlaced = [this] { saveField(); };
    addChild(dialectToggle);
    dialectToggle->refreshDialect();
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
    leaving = true;
    // The list shows the program's picture, so it is written before leaving.
    engine::RefPtr<FieldScene> self(this);
    captureThumbnail([self] {
        ScreenNavigator* navigator = ScreenNavigator::get();
        self->leaving = navigator && navigator->openList();
    });
}
