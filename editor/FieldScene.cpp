#include "editor/FieldScene.h"

#include "device/PavluneCardSerialManager.h"
#include "editor/EditorKeys.h"
#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/FieldThumbnail.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/cards/NumberEditor.h"
#include "editor/controls/BottomBar.h"
#include "editor/controls/FileButtons.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "editor/focus/EditorFocus.h"
#include "editor/gestures/CardGestures.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/link/BoardLink.h"
#include "editor/link/BoardWatch.h"
#include "editor/link/ScreenBoard.h"
#include "editor/link/ScreenBoardWatch.h"
#include "editor/palette/CardPalette.h"
#include "editor/palette/DialectToggle.h"
#include "editor/panel/ProgramPanel.h"
#include "editor/print/PrintButton.h"
#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/RenderTexture.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventCustom.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerCustom.h"
#include "engine/2d/events/EventListenerMouse.h"
#include "engine/2d/events/EventMouse.h"
#include "engine/base/Log.h"
#include "program/CardNumberRule.h"
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

FieldScene::FieldScene() = default;

FieldScene::~FieldScene() {
    SaveDataManager::getInstance()->setWriteOutcomeHandler(nullptr);
    if (session_ && session_->rooms().fieldView) {
        session_->rooms().fieldView->delegate = nullptr;
    }
}

bool FieldScene::init(SaveData* data) {
    if (!Layer::init()) {
        return false;
    }
    engine::RefPtr<SaveData> record(data ? data : SaveData::create());
    engine::Layer* paletteLayer = engine::Layer::create();
    if (!record || !paletteLayer) {
        return false;
    }
    session_ = std::make_unique<EditorSession>(this, record.get());
    session_->onEdited = [this] { saveField(); };
    EditorRooms& rooms = session_->rooms();
    rooms.paletteLayer = paletteLayer;
    SaveDataManager::getInstance()->setWriteOutcomeHandler(
        [this](bool written) { reportSaveOutcome(written); });
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    if (engine::Sprite* trashSprite = TrashCan::createSprite(visible)) {
        paletteLayer->addChild(trashSprite);
        rooms.trash = std::make_unique<TrashCan>(trashSprite);
    }
    rooms.bottomBar = BottomBar::create();
    if (!rooms.bottomBar || !buildField()) {
        return false;
    }
    addChild(rooms.fieldView);
    addChild(paletteLayer);
    addChild(rooms.bottomBar);
    FileButtons::add(rooms.bottomBar, *session_, [this] { return session_->record(); });

    rooms.runControls = std::make_unique<RunControls>();
    if (!rooms.runControls->build(this, visible)) {
        return false;
    }
    rooms.runControls->onBack = [this] { goBack(); };
    buildFrame();
    listenToMouse();
    if (!buildPalette()) {
        return false;
    }
    buildLink();
    // The program panel: the button under the run controls and the panel it opens.
    rooms.programPanel = std::make_unique<ProgramPanel>(
        this, rooms.runControls->getPlayerPanel(), [this] { return session_->rooms().board->fieldRows(); },
        session_->choices());
    rooms.printButton = std::make_unique<PrintButton>(
        this, rooms.bottomBar,
        PrintButtonHooks{[this] { return session_->rooms().board->fieldRows(); },
                         [this] { return session_->record() ? session_->record()->title : std::string(); }});
    // The bottom bar slides up over that button, so it comes after it.
    reorderChild(rooms.bottomBar, rooms.bottomBar->getLocalZOrder());
    if (!buildHistory()) {
        return false;
    }
    loadField();
    session_->rooms().undoRedo->start();
    registerRooms();
    rooms.focus = std::make_unique<EditorFocus>(*session_);
    rooms.keys = std::make_unique<EditorKeys>(this, rooms.fieldView, *session_);
    listenForHiding();
    return true;
}

void FieldScene::listenForHiding() {
    // A tab closed in the editor never reaches もどる: the list's picture is
    // drawn now, or the list would show the program as it was opened.
    auto* hiding =
        engine::EventListenerCustom::create(ScreenNavigator::kHidingEvent, [this](engine::EventCustom*) {
            SaveDataManager* store = SaveDataManager::getInstance();
            if (!leaving && !store->isReadOnly()) {
                store->finishWrites();
                captureThumbnail(nullptr);
            }
        });
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(hiding, this);
}

void FieldScene::registerRooms() {
    EditorRooms& rooms = session_->rooms();
    // The popups in the order Escape closes them (after an alert box).
    rooms.programPanel->registerWith(*session_);
    rooms.link->registerWith(*session_);
    rooms.dialectToggle->registerWith(*session_);
    // Its box holds the keys itself while it types; listed for the moments it does not.
    session_->addPopup({"number editor", [this] { return session_->rooms().numberEditor != nullptr; },
                        [this] {
                            NumberEditor* editor = session_->rooms().numberEditor;
                            if (editor->isClosing()) {
                                return false;
                            }
                            editor->cancel();
                            return true;
                        }});
    rooms.runControls->registerWith(*session_);
    rooms.undoRedo->registerWith(*session_);
    BottomBar* bar = rooms.bottomBar;
    if (bar->getSettingsButton()) {
        session_->addControl({bar->getSettingsButton(), [bar] { bar->toggle(); }});
    }
    PrintButton* print = rooms.printButton.get();
    if (print->getButton()) {
        session_->addControl(
            {print->getButton(), [print] { print->print(); }, [print] { return !print->isPrinting(); }});
    }
}

bool FieldScene::buildPalette() {
    EditorRooms& rooms = session_->rooms();
    rooms.palette = CardPalette::create(rooms.board.get(), this, session_->choices());
    rooms.dialectToggle = DialectToggle::create(rooms.board.get(), session_->choices());
    if (!rooms.palette || !rooms.dialectToggle) {
        return false;
    }
    CardPalette* palette = rooms.palette;
    rooms.paletteLayer->addChild(palette);
    rooms.board->onUseCountChanged = [palette](int cardSet, int cardIndex) {
        palette->updateUseCount(cardSet, cardIndex);
    };
    palette->getDrag().onCardPlaced = [this] { session_->edited(); };
    palette->getDrag().onNoRoom = [this] {
        Notice::show(this, EditorTexts::kNoRoomForCardsMessage, EditorTexts::kNoticeCaption);
    };
    onPaletteWheel = [palette](float scrollY) { palette->scrollByWheel(scrollY); };
    // A card held by one finger stays under it: another finger neither
    // scrolls nor pinches the field meanwhile.
    rooms.fieldView->heldElsewhere = [this](const engine::Touch* touch) {
        const EditorRooms& built = session_->rooms();
        return built.gestures->holdsCardAgainst(touch) || built.palette->getDrag().holdsCardAgainst(touch);
    };
    addChild(rooms.dialectToggle);
    rooms.dialectToggle->setStopButton(rooms.runControls->getStopButton());
    rooms.dialectToggle->refreshDialect();
    return true;
}

void FieldScene::buildLink() {
    EditorRooms& rooms = session_->rooms();
    EditorChoices& choices = session_->choices();
    BoardLinkHooks hooks{[this] { session_->rooms().bottomBar->open(); },
                         [this](std::function<void()> done) { captureThumbnail(std::move(done)); },
                         [this] { return session_->rooms().board->fieldRows(); },
                         [&choices] { return choices.catalogue(); }};
    const LinkSetup link = LinkSetup::current();
    link.serial->setRememberedPort(choices.rememberedBoard());
    rooms.link = std::make_unique<BoardLink>(this, rooms.bottomBar, std::move(hooks), link);
    rooms.link->onPortChosen = [&choices](const pavlune::PortIdentity& port) { choices.chooseBoard(port); };
    BoardLink* boardLink = rooms.link.get();
    rooms.runControls->onPlay = [this] { playIfNumbersFit(); };
    rooms.runControls->onStop = [boardLink] { boardLink->stopOnBoard(); };
    linkIsIdle = [boardLink] { return boardLink->isIdle(); };
    showWaitingForLink = [boardLink] { boardLink->showLoadingOverlay(); };
    hideWaitingForLink = [boardLink] { boardLink->removeLoadingOverlay(); };
    boardLink->startSerial();
    if (InProcessBoard* simulator = boardLink->getInProcessBoard()) {
        rooms.boardWatch = std::make_unique<BoardWatch>(*simulator, *session_, this);
    }
    if (!rooms.boardWatch && ScreenBoard::canStart()) {
        rooms.screenBoardWatch =
            std::make_unique<ScreenBoardWatch>(ScreenBoard::get(), rooms.fieldView, *rooms.board);
    }
}

bool FieldScene::buildHistory() {
    EditorRooms& rooms = session_->rooms();
    FieldBoard* board = rooms.board.get();
    // Built before the cards are loaded: a card loaded loose keeps clear of
    // its buttons. Its history starts from the program as loaded (init).
    rooms.undoRedo = std::make_unique<UndoRedoControls>(UndoRedoHooks{
        [board] { return board->save(); },
        [this, board](const engine::ValueVector& program) {
            board->reload(program);
            // A step shows the same part of a long program as opening did; say so again.
            if (board->leftElementsOff()) {
                Notice::show(this, EditorTexts::kTooManyCardsMessage, EditorTexts::kNoticeCaption);
            }
        },
        [this] { session_->edited(); },
        [this] {
            const EditorRooms& built = session_->rooms();
            return session_->isModalOpen() || built.gestures->getPressedCard() ||
                   built.palette->getDrag().isActive();
        }});
    return rooms.undoRedo->build(this, rooms.runControls->getBackButton());
}

engine::Sprite* FieldScene::backButton() const {
    const EditorRooms& rooms = session_->rooms();
    return rooms.runControls ? rooms.runControls->getBackButton() : nullptr;
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
        if (session_->isModalOpen()) {
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
        FieldScrollView* fieldView = session_->rooms().fieldView;
        const Vec2 offset = fieldView->getContentOffset();
        const float low = fieldView->minContainerOffset().y;
        const float high = fieldView->maxContainerOffset().y;
        const float y = std::clamp(offset.y + event->getScrollY() * kWheelStep, low, high);
        fieldView->setContentOffset(Vec2(offset.x, y));
    };
    listener->onMouseDown = [this](engine::EventMouse* event) {
        if (!session_->isModalOpen() &&
            event->getMouseButton() == engine::EventMouse::MouseButton::BUTTON_MIDDLE &&
            event->getCursorX() >= design::kPaletteWidth) {
            FieldScrollView* fieldView = session_->rooms().fieldView;
            fieldView->setZoomScale(fieldView->getZoomScale() < 1.0f ? 1.0f : fieldView->minScale);
        }
    };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, this);
}

bool FieldScene::buildField() {
    EditorRooms& rooms = session_->rooms();
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    FieldScrollView* fieldView = FieldScrollView::create(visible);
    rooms.fieldView = fieldView;
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
    // Of a long program only a screenful shows: the rest costs no frame.
    fieldView->setCullingChildren(true);
    if (auto* paper = engine::LayerColor::create(engine::Color4B::WHITE, visible.width * 2, sheetHeight)) {
        paper->setPosition(-visible.width / 2, 0);
        fieldView->addChild(paper);
    }
    rooms.board = FieldBoard::create(fieldView, rooms.trash.get(), session_->choices());
    if (!rooms.board) {
        return false;
    }
    // Inserting or deleting a row is a finished edit like any other.
    rooms.board->onRowsEdited = [this] { session_->edited(); };
    rooms.board->controlAreas = [this] { return controlAreas(); };
    // Gestures on placed cards: lift, drag, drop, tap and edge scrolling.
    rooms.gestures = std::make_unique<CardGestures>(this, fieldView, rooms.board.get(), rooms.trash.get());
    rooms.gestures->onOpenNumberEditor = [this](InputCardSprite* card) { openNumberEditor(card); };
    rooms.gestures->onSave = [this] { session_->edited(); };
    rooms.board->onCardAdded = [this](CardSprite* card) { session_->rooms().gestures->attach(card); };
    return true;
}

std::vector<engine::Rect> FieldScene::controlAreas() const {
    const EditorRooms& rooms = session_->rooms();
    std::vector<engine::Rect> areas;
    // Everything drawn over the field that a loose card could slip under.
    for (engine::Node* control :
         {static_cast<engine::Node*>(backButton()),
          static_cast<engine::Node*>(rooms.runControls ? rooms.runControls->getBackTab() : nullptr),
          static_cast<engine::Node*>(rooms.undoRedo ? rooms.undoRedo->getUndoButton() : nullptr),
          static_cast<engine::Node*>(rooms.undoRedo ? rooms.undoRedo->getRedoButton() : nullptr),
          static_cast<engine::Node*>(rooms.runControls ? rooms.runControls->getPlayerPanel() : nullptr),
          static_cast<engine::Node*>(rooms.programPanel ? rooms.programPanel->getButton() : nullptr),
          static_cast<engine::Node*>(rooms.bottomBar ? rooms.bottomBar->getPanel() : nullptr),
          static_cast<engine::Node*>(rooms.bottomBar ? rooms.bottomBar->getSettingsButton() : nullptr),
          static_cast<engine::Node*>(rooms.bottomBar ? rooms.bottomBar->getSettingsTab() : nullptr)}) {
        if (control) {
            areas.push_back(HitTest::worldBoundingBox(control));
        }
    }
    return areas;
}

void FieldScene::scrollViewDidZoom(FieldScrollView*) {
    scheduleOnce(
        [this](float) {
            if (FieldBoard* board = session_->rooms().board.get()) {
                board->settleShownCards();
            }
            // Its frame keeps its width on the screen.
            if (EditorFocus* focus = session_->rooms().focus.get()) {
                focus->refresh();
            }
        },
        0, kSettleKey);
}

void FieldScene::scrollViewDidScroll(FieldScrollView*) {
    if (FieldBoard* board = session_->rooms().board.get()) {
        board->finishBuilding();
    }
}

bool FieldScene::playIfNumbersFit() {
    const EditorRooms& rooms = session_->rooms();
    if (!rooms.board || !rooms.link) {
        return false;
    }
    if (const std::optional<int> row = pavlune::CardNumberRule::firstWrongRow(rooms.board->fieldRows())) {
        Notice::showFailure(this, EditorTexts::wrongNumberRow(*row), EditorTexts::kFailureCaption);
        return false;
    }
    rooms.link->play();
    return true;
}

void FieldScene::saveField() {
    const EditorRooms& rooms = session_->rooms();
    FieldBoard* board = rooms.board.get();
    if (!board) {
        return;
    }
    // No loose card may hide a card of the program, nor hide under a control.
    board->settleLooseCards();
    SaveDataManager* store = SaveDataManager::getInstance();
    if (store->isReadOnly()) {
        refuseEdit();
        return;
    }
    const SaveDataManager::SaveResult result = store->saveProgram(session_->record(), board->save());
    if (result == SaveDataManager::SaveResult::Added ||
        (thumbnailOwed && result != SaveDataManager::SaveResult::Failed)) {
        captureThumbnail(nullptr);
    }
    // A queued save is told by the store once it is on disk (or failed).
    if (result != SaveDataManager::SaveResult::Queued) {
        reportSaveOutcome(result != SaveDataManager::SaveResult::Failed);
    }
    if (rooms.undoRedo) {
        rooms.undoRedo->recordEdit();
    }
}

void FieldScene::refuseEdit() {
    // Once the gesture that made the edit has ended: the field goes back to
    // what the file holds, as the copy that writes it last left it.
    runAction(engine::Sequence::create(
        engine::DelayTime::create(0), engine::CallFunc::create([this] {
            if (FieldBoard* board = session_->rooms().board.get()) {
                board->reload(SaveDataManager::getInstance()->loadProgram(session_->record()));
            }
            Notice::show(this, EditorTexts::kReadOnlyMessage, EditorTexts::kNoticeCaption);
        })));
}

void FieldScene::loadField() {
    FieldBoard* board = session_->rooms().board.get();
    if (!board) {
        return;
    }
    std::optional<SaveDataManager::Problem> problem;
    board->load(SaveDataManager::getInstance()->loadProgram(session_->record(), &problem));
    if (board->isBuilding()) {
        showWhileBuilding();
    }
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

void FieldScene::showWhileBuilding() {
    // The cards out of sight are built while the editor slides in; should
    // that take longer, the busy overlay says so and holds the touches.
    FieldBoard* board = session_->rooms().board.get();
    auto overlaid = std::make_shared<bool>(false);
    board->onBuilt = [this, overlaid] {
        if (*overlaid && hideWaitingForLink) {
            hideWaitingForLink();
        }
    };
    scheduleOnce(
        [this, overlaid](float) {
            if (session_->rooms().board->isBuilding() && showWaitingForLink) {
                *overlaid = true;
                showWaitingForLink();
            }
        },
        design::kSceneTransitionDuration, kBuildingKey);
}

void FieldScene::captureThumbnail(std::function<void()> done) {
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    const EditorRooms& rooms = session_->rooms();
    rooms.board->finishBuilding(); // never a picture of half the cards
    engine::RenderTexture* picture = FieldThumbnail::capture(
        rooms.fieldView->container, visible, FieldThumbnail::pictureOffset(rooms.board->model(), visible));
    engine::RefPtr<FieldScene> self(this);
    FieldThumbnail::write(SaveDataManager::getInstance(), session_->record(), picture,
                          [self, done = std::move(done)](const std::string& failure) {
                              self->thumbnailOwed = !failure.empty();
                              if (self->thumbnailOwed) {
                                  engine::Log::warning("editor", self->session_->record()->imagepath +
                                                                     ": picture not written (" + failure +
                                                                     "); drawn again at the next save");
                              }
                              if (done) {
                                  done();
                              }
                          });
}

void FieldScene::openNumberEditor(InputCardSprite* card) {
    if (session_->rooms().numberEditor || !card) {
        return;
    }
    NumberEditor* editor = NumberEditor::create(card);
    if (!editor) {
        return;
    }
    editor->onCommit = [this](NumberEditor*, InputCardSprite* edited) {
        EditorRooms& rooms = session_->rooms();
        if (rooms.board) {
            rooms.board->model().setCardValue(edited->modelId, edited->getValue());
        }
        rooms.numberEditor = nullptr;
        session_->edited();
    };
    editor->onCancel = [this](NumberEditor*, InputCardSprite*) { session_->rooms().numberEditor = nullptr; };
    session_->rooms().numberEditor = editor;
    addChild(editor);
}

void FieldScene::goBack() {
    if (leaving || isScheduled(kLeaveKey)) {
        return;
    }
    // The answer shows on the next frame; the picture and the list take
    // longer than a frame, so they come after it.
    if (engine::Sprite* back = backButton()) {
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
    if (engine::Sprite* back = backButton()) {
        back->setOpacity(255);
    }
    if (hideWaitingForLink) {
        hideWaitingForLink();
    }
}
