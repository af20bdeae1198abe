#include "editor/FieldScene.h"

#include "catalogue/DeviceManager.h"
#include "device/PavluneCardSerialManager.h"
#include "editor/EditorKeyBindings.h"
#include "editor/EditorKeys.h"
#include "editor/EditorPopups.h"
#include "editor/EditorTexts.h"
#include "editor/FieldThumbnail.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/cards/NumberEditor.h"
#include "editor/controls/BottomBar.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "editor/gestures/CardGestures.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/link/BoardLink.h"
#include "editor/link/RememberedPort.h"
#include "editor/palette/CardPalette.h"
#include "editor/palette/DialectToggle.h"
#include "editor/panel/ProgramPanel.h"
#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/RenderTexture.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerMouse.h"
#include "engine/2d/events/EventMouse.h"
#include "engine/base/Log.h"
#include "program/CardNumberRule.h"
#include "store/AppSettings.h"
#include "store/SaveDataManager.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"
#include "widgets/Notice.h"
#include "widgets/PressedButton.h"
#include "widgets/ScreenNavigator.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

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

void FieldScene::restoreSettings() {
    AppSettings* settings = AppSettings::getInstance();
    settings->reload();
    pavlune::DeviceManager* catalogue = pavlune::DeviceManager::getInstance();
    static_assert(AppSettings::kChoiceCount == pavlune::kDialectCount &&
                  AppSettings::kChoiceCount == pavlune::kCardSetCount);
    if (const auto dialect = pavlune::dialectFromIndex(settings->dialect())) {
        catalogue->setCurrentDialect(*dialect);
    }
    if (const auto cardSet = pavlune::cardSetFromIndex(settings->cardSet())) {
        catalogue->setCurrentCardSet(*cardSet);
    }
}

FieldScene::FieldScene() = default;

FieldScene::~FieldScene() {
    SaveDataManager::getInstance()->setWriteOutcomeHandler(nullptr);
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
    // Asked lazily: the rooms that hold the popups are built below.
    popups = std::make_unique<EditorPopups>();
    EditorKeyBindings::listPopups(this, *popups);
    SaveDataManager::getInstance()->setWriteOutcomeHandler(
        [this](bool written) { reportSaveOutcome(written); });
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    if (engine::Sprite* trashSprite = TrashCan::createSprite(visible)) {
        paletteLayer->addChild(trashSprite);
        trash = std::make_unique<TrashCan>(trashSprite);
    }
    bottomBar = BottomBar::create();
    if (!bottomBar || !buildField()) {
        return false;
    }
    // Gestures on placed cards: lift, drag, drop, tap and edge scrolling.
    gestures = std::make_unique<CardGestures>(this, fieldView, board.get(), trash.get());
    gestures->onOpenNumberEditor = [this](InputCardSprite* card) { openNumberEditor(card); };
    gestures->onSave = [this] { saveField(); };
    board->onCardAdded = [this](CardSprite* card) { gestures->attach(card); };
    addChild(fieldView);
    addChild(paletteLayer);
    addChild(bottomBar);

    runControls = std::make_unique<RunControls>();
    if (!runControls->build(this, visible)) {
        return false;
    }
    runControls->onBack = [this] { goBack(); };
    buildFrame();
    listenToMouse();
    // Palette room: the card palette with its set tabs, and the dialect toggle.
    palette = CardPalette::create(board.get(), this);
    dialectToggle = DialectToggle::create(board.get());
    if (!palette || !dialectToggle) {
        return false;
    }
    paletteLayer->addChild(palette);
    board->onUseCountChanged = [this](int cardSet, int cardIndex) {
        palette->updateUseCount(cardSet, cardIndex);
    };
    palette->getDrag().onCardPlaced = [this] { saveField(); };
    palette->getDrag().onNoRoom = [this] {
        Notice::show(this, EditorTexts::kNoRoomForCardsMessage, EditorTexts::kNoticeCaption);
    };
    onPaletteWheel = [this](float scrollY) { palette->scrollByWheel(scrollY); };
    addChild(dialectToggle);
    dialectToggle->setStopButton(runControls->getStopButton());
    dialectToggle->isBlocked = [this] { return isModalOpen(); };
    dialectToggle->refreshDialect();
    // Board link: the port controls in the bottom bar, play and stop, the
    // workers that search, send and stop.
    BoardLinkHooks hooks{[this] { bottomBar->open(); },
                         [this](std::function<void()> done) { captureThumbnail(std::move(done)); },
                         [this] { return board->fieldRows(); }};
    const LinkSetup link = LinkSetup::current();
    link.serial->setRememberedPort(RememberedPort::fromSettings(AppSettings::getInstance()->port()));
    boardLink = std::make_unique<BoardLink>(this, bottomBar, std::move(hooks), link);
    boardLink->onPortChosen = [](const pavlune::PortIdentity& port) {
        AppSettings::getInstance()->setPort(RememberedPort::toSettings(port));
    };
    runControls->onPlay = [this] { playIfNumbersFit(); };
    runControls->onStop = [this] { boardLink->stopOnBoard(); };
    linkIsIdle = [this] { return boardLink->isIdle(); };
    showWaitingForLink = [this] { boardLink->showLoadingOverlay(); };
    hideWaitingForLink = [this] { boardLink->removeLoadingOverlay(); };
    boardLink->startSerial();
    // Program panel room: the button under the run controls and the panel it opens.
    programPanel = std::make_unique<ProgramPanel>(this, runControls->getPlayerPanel(),
                                                  [this] { return board->fieldRows(); });
    // The bottom bar slides up over that button, so it comes after it.
    reorderChild(bottomBar, bottomBar->getLocalZOrder());
    // Undo and keys room: the edit history from the program as loaded, its
    // buttons beside the back button (there before the cards are loaded,
    // which keep clear of them), and the keyboard.
    undoRedo = std::make_unique<UndoRedoControls>(UndoRedoHooks{
        [this] { return board->save(); },
        [this](const engine::ValueVector& program) {
            board->reload(program);
            // A step shows the same part of a long program as opening did; say so again.
            if (board->leftElementsOff()) {
                Notice::show(this, EditorTexts::kTooManyCardsMessage, EditorTexts::kNoticeCaption);
            }
        },
        [this] { saveField(); },
        [this] { return isModalOpen() || gestures->getPressedCard() || palette->getDrag().isActive(); }});
    if (!undoRedo->build(this, runControls->getBackButton())) {
        return false;
    }
    loadField();
    undoRedo->start();
    keys = EditorKeyBindings::bind(this, undoRedo.get(), *popups);
    return true;
}

engine::Sprite* FieldScene::getBackButton() const {
    return runControls ? runControls->getBackButton() : nullptr;
}

void FieldScene::buildFrame() {
    // A blue frame around the field area, right of the palette.
    const float fieldWidth = design::kWidth - design::kPaletteWidth;
    const struct {
        float x, y, width, height;
    } sides[] = {
        {design::kPaletteWidth - 5, 0, 5, design::kHeight},
        {design::kPaletteWidth, design::kHeight - 5, fieldWidth, 5},
        {design::kWidth - 5, 0, 5, design::kHeight},
        {design::kPaletteWidth, 0, fieldWidth, 5},
    };
    for (const auto& side : sides) {
        if (auto* band = engine::LayerColor::create(design::kThemeBlue, side.width, side.height)) {
            band->setPosition(side.x, side.y);
            addChild(band);
        }
    }
}

void FieldScene::listenToMouse() {
    auto* listener = engine::EventListenerMouse::create();
    listener->onMouseScroll = [this](engine::EventMouse* event) {
        if (isModalOpen()) {
            return; // the popup above holds the screen
        }
        // The wheel scrolls what is under the cursor; turned towards the user
        // it shows later rows.
        if (event->getCursorX() < design::kPaletteWidth) {
            if (onPaletteWheel) {
                onPaletteWheel(event->getScrollY());
            }
            return;
        }
        const Vec2 offset = fieldView->getContentOffset();
        const float low = fieldView->minContainerOffset().y;
        const float high = fieldView->maxContainerOffset().y;
        const float y = std::clamp(offset.y + event->getScrollY() * kWheelStep, low, high);
        fieldView->setContentOffset(Vec2(offset.x, y));
    };
    listener->onMouseDown = [this](engine::EventMouse* event) {
        if (!isModalOpen() && event->getMouseButton() == engine::EventMouse::MouseButton::BUTTON_MIDDLE &&
            event->getCursorX() >= design::kPaletteWidth) {
            fieldView->setZoomScale(fieldView->getZoomScale() < 1.0f ? 1.0f : fieldView->minScale);
        }
    };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, this);
}

bool FieldScene::buildField() {
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    fieldView = FieldScrollView::create(visible);
    if (!fieldView) {
        return false;
    }
    fieldView->delegate = this;
    // The same sheet as the model's (FieldGeometry), computed alike.
    const auto sheetHeight = static_cast<float>(visible.height * design::kFieldHeightFactor);
    fieldView->setContentSize(
        Size(static_cast<float>(visible.width * design::kFieldWidthFactor), sheetHeight));
    fieldView->setContentOffset(
        Vec2(0, static_cast<float>(-(visible.height * design::kFieldInitialScrollFactor))));
    fieldView->setZoomScale(1.0f);
    fieldView->minScale = 0.5f;
    fieldView->maxScale = 1.0f;
    fieldView->bounceable = false;
    if (auto* paper = engine::LayerColor::create(engine::Color4B::WHITE, visible.width * 2, sheetHeight)) {
        paper->setPosition(-visible.width / 2, 0);
        fieldView->addChild(paper);
    }
    board = FieldBoard::create(fieldView, trash.get());
    if (!board) {
        return false;
    }
    // Inserting or deleting a row is a finished edit like any other.
    board->onRowsEdited = [this] { saveField(); };
    board->controlAreas = [this] { return controlAreas(); };
    return true;
}

std::vector<engine::Rect> FieldScene::controlAreas() const {
    std::vector<engine::Rect> areas;
    // Everything drawn over the field that a loose card could slip under.
    for (engine::Node* control :
         {static_cast<engine::Node*>(getBackButton()),
          static_cast<engine::Node*>(runControls ? runControls->getBackTab() : nullptr),
          static_cast<engine::Node*>(undoRedo ? undoRedo->getUndoButton() : nullptr),
          static_cast<engine::Node*>(undoRedo ? undoRedo->getRedoButton() : nullptr),
          static_cast<engine::Node*>(runControls ? runControls->getPlayerPanel() : nullptr),
          static_cast<engine::Node*>(programPanel ? programPanel->getButton() : nullptr),
          static_cast<engine::Node*>(bottomBar ? bottomBar->getPanel() : nullptr),
          static_cast<engine::Node*>(bottomBar ? bottomBar->getSettingsButton() : nullptr),
          static_cast<engine::Node*>(bottomBar ? bottomBar->getSettingsTab() : nullptr)}) {
        if (control) {
            areas.push_back(HitTest::worldBoundingBox(control));
        }
    }
    return areas;
}

void FieldScene::scrollViewDidZoom(FieldScrollView*) {
    scheduleOnce(
        [this](float) {
            if (board) {
                board->settleShownCards();
            }
        },
        0, kSettleKey);
}

bool FieldScene::isModalOpen() const {
    return popups && popups->isAnyOpen();
}

bool FieldScene::playIfNumbersFit() {
    if (!board || !boardLink) {
        return false;
    }
    if (const std::optional<int> row = pavlune::CardNumberRule::firstWrongRow(board->fieldRows())) {
        Notice::showFailure(this, EditorTexts::wrongNumberRow(*row), EditorTexts::kFailureCaption);
        return false;
    }
    boardLink->play();
    return true;
}

void FieldScene::saveField() {
    if (!record || !board) {
        return;
    }
    // No loose card may hide a card of the program, nor hide under a control.
    board->settleLooseCards();
    SaveDataManager* store = SaveDataManager::getInstance();
    if (store->isReadOnly()) {
        refuseEdit();
        return;
    }
    const SaveDataManager::SaveResult result = store->saveProgram(record, board->save());
    if (result == SaveDataManager::SaveResult::Added ||
        (thumbnailOwed && result != SaveDataManager::SaveResult::Failed)) {
        captureThumbnail(nullptr);
    }
    // A queued save is told by the store once it is on disk (or failed).
    if (result != SaveDataManager::SaveResult::Queued) {
        reportSaveOutcome(result != SaveDataManager::SaveResult::Failed);
    }
    if (undoRedo) {
        undoRedo->recordEdit();
    }
}

void FieldScene::refuseEdit() {
    // Once the gesture that made the edit has ended: the field goes back to
    // what the file holds, as the copy that writes it last left it.
    runAction(engine::Sequence::create(
        engine::DelayTime::create(0), engine::CallFunc::create([this] {
            if (board) {
                board->reload(SaveDataManager::getInstance()->loadProgram(record));
            }
            Notice::show(this, EditorTexts::kReadOnlyMessage, EditorTexts::kNoticeCaption);
        })));
}

void FieldScene::loadField() {
    if (!board) {
        return;
    }
    std::optional<SaveDataManager::Problem> problem;
    board->load(SaveDataManager::getInstance()->loadProgram(record, &problem));
    if (board->leftElementsOff()) {
        Notice::show(this, EditorTexts::kTooManyCardsMessage, EditorTexts::kNoticeCaption);
    }
    if (!problem) {
        return;
    }
    const bool unreadable = problem->kind == SaveDataManager::Problem::Kind::Unreadable;
    const std::string message = unreadable
                                    ? std::string(EditorTexts::kUnreadableMessage) + "\n" + problem->file
                                    : std::string(EditorTexts::kSetAsideMessage) + "\n" + problem->detail;
    const std::string title = unreadable ? EditorTexts::kFailureCaption : EditorTexts::kNoticeCaption;
    // Once the editor has slid in.
    runAction(engine::Sequence::create(
        engine::DelayTime::create(design::kSceneTransitionDuration),
        engine::CallFunc::create([this, message, title] { Notice::show(this, message, title); })));
}

void FieldScene::captureThumbnail(std::function<void()> done) {
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    engine::RenderTexture* picture = FieldThumbnail::capture(
        fieldView->container, visible, FieldThumbnail::pictureOffset(board->model(), visible));
    engine::RefPtr<FieldScene> self(this);
    FieldThumbnail::write(SaveDataManager::getInstance(), record, picture,
                          [self, done = std::move(done)](const std::string& failure) {
                              self->thumbnailOwed = !failure.empty();
                              if (self->thumbnailOwed) {
                                  engine::Log::warning("editor", self->record->imagepath +
                                                                     ": picture not written (" + failure +
                                                                     "); drawn again at the next save");
                              }
                              if (done) {
                                  done();
                              }
                          });
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
    if (leaving || isScheduled(kLeaveKey)) {
        return;
    }
    // The answer shows on the next frame; the picture and the list take
    // longer than a frame, so they come after it.
    if (engine::Sprite* back = getBackButton()) {
        back->setOpacity(design::kPressedOpacity);
    }
    if (showWaitingForLink) {
        showWaitingForLink();
    }
    const std::uint64_t shownBy = engine::Director::getInstance()->getTotalFrames() + 1;
    auto untilCheck = std::make_shared<float>(0.0f);
    schedule(
        [this, shownBy, untilCheck](float dt) {
            *untilCheck -= dt;
            if (engine::Director::getInstance()->getTotalFrames() < shownBy || *untilCheck > 0) {
                return;
            }
            *untilCheck = kLeaveCheckInterval;
            if (tryToLeave()) {
                unschedule(kLeaveKey);
            }
        },
        kLeaveKey);
}

void FieldScene::reportSaveOutcome(bool written) {
    if (written) {
        saveFailureShown = false;
    } else if (!saveFailureShown) {
        // Every edit saves: one message for a disk that stays full, not one per card.
        saveFailureShown = true;
        Notice::showFailure(this, EditorTexts::kNotSavedMessage, EditorTexts::kFailureCaption);
    }
}

bool FieldScene::tryToLeave() {
    if (linkIsIdle && !linkIsIdle()) {
        if (showWaitingForLink) {
            showWaitingForLink();
        }
        return false;
    }
    // The list reads the program files: the saves still queued go first
    // (at most a write or two; the loading overlay is already up).
    SaveDataManager::getInstance()->finishWrites();
    leaving = true;
    // The list shows the program's picture, so it is written before leaving.
    engine::RefPtr<FieldScene> self(this);
    captureThumbnail([self] {
        ScreenNavigator* navigator = ScreenNavigator::get();
        self->leaving = navigator && navigator->openList();
        if (!self->leaving) {
            self->standDown();
        }
    });
    return true;
}

void FieldScene::standDown() {
    if (engine::Sprite* back = getBackButton()) {
        back->setOpacity(255);
    }
    if (hideWaitingForLink) {
        hideWaitingForLink();
    }
}
