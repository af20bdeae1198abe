// The editor screen with the process-wide store: loading a program file,
// saving after edits, and the program's picture for the list.

#include "editor/FieldScene.h"

#include "device/PavluneCardSerialManager.h"
#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/FieldThumbnail.h"
#include "editor/cards/CardSprite.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/controls/BottomBar.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/link/BoardLink.h"
#include "editor/link/LinkSetup.h"
#include "editor/link/LoadingOverlay.h"
#include "editor/link/PortListPopup.h"
#include "editor/link/SendingOverlay.h"
#include "editor/palette/DialectToggle.h"
#include "editor/panel/ProgramPanel.h"
#include "engine/2d/Director.h"
#include "engine/2d/RenderTexture.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/events/EventCustom.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/base/Log.h"
#include "engine/base/Scheduler.h"
#include "engine/base/Value.h"
#include "engine/platform/Image.h"
#include "engine/platform/MessageBox.h"
#include "program/VirtualTransferClock.h"
#include "store/SaveDataManager.h"
#include "tests/device/FakeSerialBackend.h"
#include "tests/editor/WriteGate.h"
#include "tests/saves/SaveScreenFixture.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WritesFail.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"
#include "widgets/Notice.h"
#include "widgets/ScreenNavigator.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;
using engine::Vec2;

namespace {

const fs::path kPlistlibProgram = pavlune::test::sourceRoot() / "tests/editor/data/plistlib_program.plist";

class FieldSceneTest : public SaveScreenTest {
protected:
    FieldScene* open(SaveData* record) {
        FieldScene* editor = made(FieldScene::create(record));
        engine::Scene* scene = made(engine::Scene::create());
        scene->addChild(editor);
        present(scene);
        return editor;
    }

    // A listed program whose file is a copy of `source`.
    SaveData* programFrom(const fs::path& source) {
        SaveData* record = addPrograms(1).front();
        fs::copy_file(source, fullPath(record->path), fs::copy_options::overwrite_existing);
        return record;
    }

    static bool listShown() {
        engine::Scene* scene = engine::Director::getInstance()->getRunningScene();
        for (engine::Node* child : made(scene)->getChildren()) {
            if (dynamic_cast<FieldScene*>(child)) {
                return false;
            }
        }
        return true;
    }

    static std::string fullPath(const std::string& relative) { return root() + relative; }
    static ValueVector programFile(SaveData* record) {
        return engine::FileUtils::getInstance()->getValueVectorFromFile(fullPath(record->path));
    }
};

// Catches cards stored on their rows' snap points left loose, lost values or
// z-orders, a card naming no catalogue entry dropped from the file, and a
// missing key that is not read as 0.
TEST_F(FieldSceneTest, AProgramWrittenByAnotherPlistWriterOpensOnItsRowsAndLosesNothingWhenSaved) {
    SaveData* record = programFrom(kPlistlibProgram);
    FieldScene* editor = open(record);
    const pavlune::FieldRows rows = editor->getSession().rooms().board->fieldRows();
    ASSERT_EQ(rows.size(), 40u);
    const std::vector<std::optional<pavlune::CardSlot>> expected = {
        pavlune::CardSlot{0, 0, ""}, pavlune::CardSlot{2, 2, "1.5"}, pavlune::CardSlot{0, 1, ""},
        std::nullopt};
    for (std::size_t row = 0; row < expected.size(); ++row) {
        EXPECT_EQ(rows[row].front(), expected[row]) << "row " << row + 1;
    }
    const std::vector<CardSprite*> nodes = editor->getSession().rooms().board->cardNodes();
    ASSERT_EQ(nodes.size(), 5u); // the card from a newer version is not shown
    EXPECT_EQ(nodes[1]->getLocalZOrder(), 4);
    EXPECT_EQ(nodes[1]->getValue(), "1.5");

    editor->saveField();
    const ValueVector saved = programFile(record);
    ASSERT_EQ(saved.size(), 6u);
    const ValueMap& kept = saved[4].asValueMap();
    EXPECT_EQ(engine::valueForKey(kept, "tab").asInt(), 7);
    EXPECT_EQ(engine::valueForKey(kept, "value").asString(), "from a newer version");
    const ValueMap& keyless = saved[5].asValueMap();
    EXPECT_EQ(engine::valueForKey(keyless, "index").asInt(), 3);
    EXPECT_EQ(engine::valueForKey(keyless, "value").asString(), "");
}

// Catches a new program saved without its picture (the list would show the
// start-new entry's), and a picture redrawn at every save.
TEST_F(FieldSceneTest, TheFirstSaveOfANewProgramWritesItsPictureAndLaterSavesOnlyItsFile) {
    FieldScene* editor = open(nullptr);
    ASSERT_NE(editor->getSession().rooms().board->addCard(0, 0, Vec2(652.5f, 5514.44f), 255), nullptr);
    editor->saveField();
    driver->step();
    SaveData* record = editor->getSession().record();
    ASSERT_FALSE(record->imagepath.empty());
    const std::string picture = fullPath(record->imagepath);
    ASSERT_TRUE(fs::exists(picture));
    EXPECT_EQ(programFile(record).size(), 1u);

    fs::remove(picture);
    editor->getSession().rooms().board->addCard(0, 1, Vec2(652.5f, 5384.44f), 255);
    editor->saveField();
    driver->step();
    EXPECT_FALSE(fs::exists(picture));
    EXPECT_EQ(programFile(record).size(), 2u);
}

// Catches a page closed in the editor leaving the list with the picture of
// the program as it was opened: told it is hidden, the editor draws the
// picture at once, without waiting for a frame that may never come.
TEST_F(FieldSceneTest, HiddenTheEditorDrawsTheProgramsPictureAtOnce) {
    SaveData* record = addPrograms(1).front();
    FieldScene* editor = open(record);
    ASSERT_NE(editor->getSession().rooms().board->addCard(0, 0, Vec2(652.5f, 5514.44f), 255), nullptr);
    editor->saveField();
    driver->step();
    const fs::path picture = fullPath(record->imagepath);
    fs::remove(picture);
    engine::EventCustom hiding(ScreenNavigator::kHidingEvent);
    engine::Director::getInstance()->getEventDispatcher()->dispatchEvent(&hiding);
    EXPECT_TRUE(fs::exists(picture));
    driver->step(); // the write's report, which keeps the picture until it is heard
}

// Catches a picture whose failed write nobody hears of (the list would show
// the start-new entry's picture for good), and one never tried again.
TEST_F(FieldSceneTest, APictureNotWrittenIsLoggedAndWrittenAtTheNextSave) {
    SaveData* record = addPrograms(1).front();
    FieldScene* editor = open(record);
    // A folder where the picture goes: no write lands there, root or not.
    const fs::path blocked = fullPath(record->imagepath);
    fs::create_directories(blocked);
    const engine::Log::Capture log;
    ASSERT_NE(editor->getSession().rooms().board.get()->addCard(0, 0, Vec2(652.5f, 5514.44f), 255), nullptr);
    editor->captureThumbnail(nullptr); // as play draws it
    driver->step();
    EXPECT_EQ(log.linesWith({"warning editor", record->imagepath, std::strerror(EISDIR)}).size(), 1u);

    fs::remove(blocked);
    editor->getSession().rooms().board.get()->addCard(0, 1, Vec2(652.5f, 5384.44f), 255);
    editor->saveField();
    driver->step();
    engine::Image picture;
    ASSERT_TRUE(picture.initWithImageFile(blocked.string()));
    EXPECT_EQ(picture.getWidth(), 570); // 285 units at the content scale of 2
    EXPECT_EQ(picture.getHeight(), 570);

    fs::remove(blocked);
    editor->saveField();
    driver->step();
    EXPECT_FALSE(fs::exists(blocked)) << "once written, the picture is not drawn at every save";
}

// Catches a failed save that the editor keeps quiet about (the teacher would
// leave believing the program kept), and one message per edit while the disk
// stays full.
TEST_F(FieldSceneTest, AFailedSaveIsReportedOnceUntilASaveSucceedsAgain) {
    FieldScene* editor = open(nullptr);
    std::vector<std::string> messages;
    engine::setMessageBoxHandler(
        [&](const std::string& message, const std::string&) { messages.push_back(message); });
    ASSERT_NE(editor->getSession().rooms().board->addCard(0, 0, Vec2(652.5f, 5514.44f), 255), nullptr);
    {
        WritesFail full;
        editor->saveField();
        editor->saveField();
    }
    EXPECT_EQ(messages, std::vector<std::string>{EditorTexts::kNotSavedMessage});
    EXPECT_TRUE(editor->getSession().record()->path.empty()); // not listed: the next save starts it over

    editor->saveField();
    driver->step();
    EXPECT_EQ(programFile(editor->getSession().record()).size(), 1u);
    {
        WritesFail full;
        editor->saveField();
    }
    EXPECT_EQ(messages.size(), 2u);
    engine::setMessageBoxHandler(nullptr);
}

// With saves on the worker, as the application runs them: catches an editor
// that never hears a failed background save, and one message per edit.
TEST_F(FieldSceneTest, AFailedBackgroundSaveIsReportedOnce) {
    FieldScene* editor = open(nullptr);
    std::vector<std::string> messages;
    engine::setMessageBoxHandler(
        [&](const std::string& message, const std::string&) { messages.push_back(message); });
    ASSERT_NE(editor->getSession().rooms().board->addCard(0, 0, Vec2(652.5f, 5514.44f), 255), nullptr);
    editor->saveField(); // the first save is written at once
    SaveDataManager* store = SaveDataManager::getInstance();
    store->writeInBackground([](std::function<void()> closure) {
        engine::Director::getInstance()->getScheduler()->performFunctionInCocosThread(std::move(closure));
    });
    {
        WritesFail full;
        editor->saveField();
        store->finishWrites();
        editor->saveField();
        store->finishWrites();
    }
    driver->step();
    EXPECT_EQ(messages, std::vector<std::string>{EditorTexts::kNotSavedMessage});
    editor->getSession().rooms().board->addCard(0, 1, Vec2(652.5f, 5384.44f), 255);
    editor->saveField();
    store->writeInBackground(nullptr);
    driver->step();
    EXPECT_EQ(programFile(editor->getSession().record()).size(), 2u);
    EXPECT_EQ(messages.size(), 1u);
    engine::setMessageBoxHandler(nullptr);
}

// Catches row edits that are not saved (leaving right after would lose
// them) or saved with the cards' positions in the middle of their slide.
TEST_F(FieldSceneTest, InsertingARowSavesTheCardsWhereTheyEndUp) {
    SaveData* record = programFrom(kPlistlibProgram);
    FieldScene* editor = open(record);
    const float secondRowY = editor->getSession().rooms().board->model().rowSlot(1).position.y;
    editor->getSession().rooms().board->insertRow(0);
    const ValueVector saved = programFile(record);
    ASSERT_GE(saved.size(), 1u);
    EXPECT_EQ(engine::valueForKey(saved[0].asValueMap(), "y").asInt(), static_cast<int>(secondRowY));
}

// The program's picture as the list shows it: the file's pixels.
class FieldPictureTest : public FieldSceneTest {
protected:
    // The picture drawn now and written; its pixels, 570 by 570.
    engine::Image pictureNow(FieldScene* editor) {
        bool written = false;
        editor->captureThumbnail([&] { written = true; });
        for (int frame = 0; frame < 10 && !written; ++frame) {
            driver->step();
        }
        EXPECT_TRUE(written);
        engine::Image image;
        EXPECT_TRUE(image.initWithImageFile(fullPath(editor->getSession().record()->imagepath)));
        EXPECT_EQ(image.getWidth(), 570); // 285 units at the content scale of 2
        return image;
    }
    // The picture's pixels in the band of screen x from `left` to `right`
    // (the field at its start position) below screen y `below`: the picture
    // is the screen scaled by 285/768 about x 649 (the field's middle).
    static std::vector<std::uint8_t> band(const engine::Image& image, float left, float right,
                                          float below = 768) {
        const auto column = [](float x) { return static_cast<int>(((x - 649) * 285 / 768 + 142.5f) * 2); };
        const int top = static_cast<int>((768 - below) * 285 / 768 * 2);
        std::vector<std::uint8_t> pixels;
        for (int y = top; y < image.getHeight(); ++y) {
            for (int x = column(left); x <= column(right); ++x) {
                const engine::Color4B p = image.getPixel(x, y);
                pixels.insert(pixels.end(), {p.r, p.g, p.b, p.a});
            }
        }
        return pixels;
    }
    // Basic cards 0, 1, 2 ... on the rows from `first`, in their slots.
    static void cardsOnRows(FieldScene* editor, int first, int count) {
        FieldBoard* board = editor->getSession().rooms().board.get();
        for (int i = 0; i < count; ++i) {
            ASSERT_NE(board->addCard(0, i, board->model().rowSlot(first + i).position, 255), nullptr);
        }
    }
    // A listed program (it has a picture name) with an empty field.
    FieldScene* openListed() {
        FieldScene* editor = open(nullptr);
        editor->saveField();
        driver->step();
        return editor;
    }
    // Where the card column lies on the screen (the slots, without plates).
    static constexpr float kColumnLeft = 560;
    static constexpr float kColumnRight = 745;
};

// Catches a picture of whatever part of the field is in view (scrolled down
// it showed empty rows), a zoom kept in the picture, and an offset or zoom
// not put back afterwards (the field would jump).
TEST_F(FieldPictureTest, AProgramOnTheFirstRowsLooksTheSameWhereverTheFieldIsScrolledOrZoomed) {
    FieldScene* editor = openListed();
    const engine::Image empty = pictureNow(editor);
    cardsOnRows(editor, 0, 3);
    const engine::Image atTop = pictureNow(editor);
    EXPECT_NE(band(atTop, kColumnLeft, kColumnRight), band(empty, kColumnLeft, kColumnRight))
        << "the cards are in the picture";

    FieldScrollView* view = editor->getSession().rooms().fieldView;
    const Vec2 top = view->getContentOffset();
    const struct {
        float zoom;
        Vec2 offset;
    } states[] = {
        {1.0f, top + Vec2(0, 130 * 30)},      // row 30 at the top of the screen
        {0.5f, Vec2(-100, top.y / 2 + 1950)}, // zoomed out, scrolled sideways and down
    };
    for (const auto& state : states) {
        SCOPED_TRACE(state.zoom);
        view->setZoomScale(state.zoom);
        view->setContentOffset(state.offset);
        driver->step();
        const Vec2 before = view->getContentOffset();
        const engine::Color4B seen = driver->pixelAt(Vec2(600, 300));
        const engine::Image picture = pictureNow(editor);
        EXPECT_TRUE(std::equal(picture.getData().begin(), picture.getData().end(), atTop.getData().begin(),
                               atTop.getData().end()));
        EXPECT_EQ(view->getContentOffset(), before);
        EXPECT_FLOAT_EQ(view->getZoomScale(), state.zoom);
        const engine::Color4B after = driver->pixelAt(Vec2(600, 300));
        EXPECT_EQ(std::tie(after.r, after.g, after.b), std::tie(seen.r, seen.g, seen.b))
            << "the field did not move";
    }
}

// Catches a program far down pictured as the empty top of the sheet, and a
// frame that does not start at the row of its topmost card.
TEST_F(FieldPictureTest, AProgramOnlyFarDownIsFramedFromItsTopmostCardsRow) {
    FieldScene* editor = openListed();
    const engine::Image empty = pictureNow(editor);
    cardsOnRows(editor, 0, 4);
    const engine::Image nearTop = pictureNow(editor);
    for (CardSprite* card : editor->getSession().rooms().board->cardNodes()) {
        editor->getSession().rooms().board->removeCard(card);
    }
    driver->advance(0.5f);
    cardsOnRows(editor, 30, 4);
    const engine::Image farDown = pictureNow(editor);

    // Rows 31 to 36 take the places of rows 1 to 6: the card column below
    // the margin is the same (the line numbers beside it differ, and row 30
    // shows in the margin above).
    const float belowMargin = 768 - 50;
    EXPECT_NE(band(nearTop, kColumnLeft, kColumnRight), band(empty, kColumnLeft, kColumnRight));
    const std::vector<std::uint8_t> far = band(farDown, kColumnLeft, kColumnRight, belowMargin);
    const std::vector<std::uint8_t> near = band(nearTop, kColumnLeft, kColumnRight, belowMargin);
    ASSERT_EQ(far.size(), near.size());
    // Edges are sampled a little differently so far down (float positions);
    // a frame five units off already changes a sixth of the values.
    std::size_t differing = 0;
    for (std::size_t i = 0; i < far.size(); ++i) {
        differing += std::abs(far[i] - near[i]) > 16 ? 1 : 0;
    }
    EXPECT_LT(differing, far.size() / 100);
}

// Catches the wheel's sign or step, a missing clamp at the top of the sheet,
// the palette side scrolling the field, and a middle click that zooms from
// the palette or only one way.
TEST_F(FieldSceneTest, TheWheelScrollsWhatIsUnderItAndTheMiddleButtonTogglesTheZoom) {
    FieldScene* editor = open(nullptr);
    FieldScrollView* view = editor->getSession().rooms().fieldView;
    std::vector<float> paletteSteps;
    editor->onPaletteWheel = [&](float steps) { paletteSteps.push_back(steps); };
    const float top = view->getContentOffset().y;

    driver->mouseScroll(Vec2(600, 400), 1); // away from the user at the top: nothing above
    driver->step();
    EXPECT_FLOAT_EQ(view->getContentOffset().y, top);
    driver->mouseScroll(Vec2(600, 400), -3); // towards the user: later rows, half a row (65) a step
    driver->step();
    EXPECT_FLOAT_EQ(view->getContentOffset().y, top + 195);
    driver->mouseScroll(Vec2(100, 400), -1);
    driver->step();
    EXPECT_FLOAT_EQ(view->getContentOffset().y, top + 195);
    EXPECT_EQ(paletteSteps, std::vector<float>{1});

    for (float expected : {0.5f, 1.0f}) {
        driver->mouseDown(2, Vec2(600, 400));
        driver->mouseUp(2, Vec2(600, 400));
        driver->step();
        EXPECT_FLOAT_EQ(view->getZoomScale(), expected);
    }
    driver->mouseDown(2, Vec2(100, 400));
    driver->step();
    EXPECT_FLOAT_EQ(view->getZoomScale(), 1.0f);
}

// Catches leaving while a port operation runs, checks that do not repeat
// every half second, and a wait that never ends once the link is idle.
TEST_F(FieldSceneTest, TheBackButtonWaitsForTheSerialLinkInHalfSecondChecks) {
    FieldScene* editor = open(nullptr);
    bool idle = false;
    int waitsShown = 0;
    editor->linkIsIdle = [&] { return idle; };
    editor->showWaitingForLink = [&] { ++waitsShown; };
    tap(editor->getSession().rooms().runControls->getBackButton()->getPosition());
    EXPECT_EQ(waitsShown, 1) << "shown with the tap";
    driver->advance(1.2f);
    EXPECT_FALSE(listShown());
    EXPECT_EQ(waitsShown, 4) << "a check on the next frame, then at 0.5 s and 1 s";
    idle = true;
    driver->advance(0.5f + 0.1f + 0.6f); // the next check, the picture, the slide
    EXPECT_TRUE(listShown());
}

// Catches a back button that shows nothing until the picture is drawn and
// the list made (a second tap follows), and the picture drawn in the frame
// that should show the answer.
TEST_F(FieldSceneTest, TheBackButtonAnswersOnTheNextFrameThenDrawsThePictureAndOpensTheList) {
    SaveData* record = addPrograms(1).front();
    FieldScene* editor = open(record);
    editor->linkIsIdle = [] { return true; };
    engine::Sprite* back = editor->getSession().rooms().runControls->getBackButton();
    const Vec2 paper(600, 300);
    const engine::Color4B before = driver->pixelAt(paper);
    ASSERT_GT(before.r, 240);
    const std::string picture = SaveDataManager::getInstance()->getImageFullPath(record);
    fs::remove(picture);

    tap(back->getPosition());
    EXPECT_EQ(back->getOpacity(), design::kPressedOpacity);
    ASSERT_NE(editor->getSession().rooms().link->getLoadingOverlay(), nullptr);
    EXPECT_LT(driver->pixelAt(paper).r, 225) << "the overlay greys the screen";
    EXPECT_FALSE(fs::exists(picture));
    EXPECT_FALSE(listShown());

    driver->advance(0.1f + 0.6f); // the picture, the slide
    EXPECT_TRUE(fs::exists(picture));
    EXPECT_TRUE(listShown());
}

// Catches an editor left greyed and dimmed when the list cannot be opened.
TEST_F(FieldSceneTest, TheBackButtonStandsDownWhenTheListCannotOpen) {
    FieldScene* editor = open(nullptr);
    editor->linkIsIdle = [] { return true; };
    ScreenNavigator* navigator = ScreenNavigator::get();
    ScreenNavigator::install(nullptr);
    tap(editor->getSession().rooms().runControls->getBackButton()->getPosition());
    driver->advance(0.2f);
    ScreenNavigator::install(navigator);
    EXPECT_EQ(editor->getSession().rooms().link->getLoadingOverlay(), nullptr);
    EXPECT_EQ(editor->getSession().rooms().runControls->getBackButton()->getOpacity(), 255);
}

// Catches the bar starting open, or the settings button sliding it the
// wrong way.
TEST_F(FieldSceneTest, TheSettingsButtonSlidesTheBottomBarOpenAndClosed) {
    FieldScene* editor = open(nullptr);
    BottomBar* bar = editor->getSession().rooms().bottomBar;
    EXPECT_FLOAT_EQ(bar->getPositionY(), BottomBar::kClosedY);
    const Vec2 settings = bar->convertToWorldSpace(bar->getSettingsButton()->getPosition());
    tap(settings);
    driver->advance(0.3f);
    EXPECT_FLOAT_EQ(bar->getPositionY(), 0);
    tap(bar->convertToWorldSpace(bar->getSettingsButton()->getPosition()));
    driver->advance(0.3f);
    EXPECT_FLOAT_EQ(bar->getPositionY(), BottomBar::kClosedY);
}

// The editor with its board link on a fake serial port.
class FieldSceneLinkTest : public FieldSceneTest {
protected:
    void SetUp() override {
        FieldSceneTest::SetUp();
        script = std::make_shared<pavlune::FakeSerialBackend::Script>();
        auto* manager =
            new pavlune::PavluneCardSerialManager(std::make_unique<pavlune::FakeSerialBackend>(script));
        const LinkSetup setup{
            std::shared_ptr<pavlune::PavluneCardSerialManager>(manager, [](auto* m) { m->release(); }),
            [] { return std::make_unique<pavlune::VirtualTransferClock>(); }};
        LinkSetup::install(&setup);
    }
    void TearDown() override {
        gate.release();
        LinkSetup::install(nullptr);
        FieldSceneTest::TearDown();
    }
    FieldScene* openWithPorts(std::vector<pavlune::SerialPortInfo> ports) {
        script->present = std::move(ports);
        FieldScene* editor = open(nullptr);
        editor->getSession().rooms().link->waitForWorkers();
        driver->step();
        return editor;
    }

    std::shared_ptr<pavlune::FakeSerialBackend::Script> script;
    WriteGate gate;
};

// Catches a play that starts without a port instead of showing the port status.
TEST_F(FieldSceneLinkTest, PlayWithoutAPortSlidesTheBottomBarUp) {
    FieldScene* editor = openWithPorts({});
    EXPECT_FLOAT_EQ(editor->getSession().rooms().bottomBar->getPositionY(), -92);
    tap(Vec2(944, 384));
    driver->advance(0.25f);
    EXPECT_FLOAT_EQ(editor->getSession().rooms().bottomBar->getPositionY(), 0);
}

// Catches a back button that leaves while a send still reports to the
// editor, or that never leaves once the send has ended.
TEST_F(FieldSceneLinkTest, TheBackButtonWaitsForASendAndLeavesAtTheNextCheck) {
    FieldScene* editor = openWithPorts({{"/dev/ttyUSB0", "A", false}});
    engine::Scene* editing = engine::Director::getInstance()->getRunningScene();
    script->onWrite = [gate = &gate](std::uint8_t, bool) { gate->onWrite(); };
    tap(Vec2(944, 384));
    gate.waitForFirstWrite();
    editor->goBack();
    driver->advance(1.2f);
    EXPECT_NE(editor->getSession().rooms().link->getLoadingOverlay(), nullptr);
    EXPECT_EQ(engine::Director::getInstance()->getRunningScene(), editing);

    gate.release();
    editor->getSession().rooms().link->waitForWorkers();
    driver->advance(0.5f + 1.0f); // the next check, then the slide to the list
    EXPECT_NE(engine::Director::getInstance()->getRunningScene(), editing);
}

// Catches Escape doing two things in one press or in the wrong order (a send
// stopped while the port list is open over it), and F5 not playing as the
// play button does.
TEST_F(FieldSceneLinkTest, F5PlaysAndEachEscapeClosesThePortListFirstThenStopsTheSend) {
    FieldScene* editor = openWithPorts({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    BoardLink* link = editor->getSession().rooms().link.get();
    script->onWrite = [gate = &gate](std::uint8_t, bool) { gate->onWrite(); };
    driver->keyPress(SDLK_F5);
    gate.waitForFirstWrite();
    driver->step();
    link->showPortList();
    ASSERT_NE(link->getPortList(), nullptr);
    ASSERT_NE(link->getSendingOverlay(), nullptr);

    driver->keyPress(SDLK_ESCAPE);
    driver->step();
    EXPECT_EQ(link->getPortList(), nullptr);
    EXPECT_FALSE(link->isStopRequested());

    driver->keyPress(SDLK_ESCAPE);
    driver->step();
    EXPECT_TRUE(link->isStopRequested());
    gate.release();
    link->waitForWorkers();
    driver->advance(0.5f);
}

// One row per popup or overlay of the editor, and one with none open, all
// driven by real key, wheel and touch events. Catches a popup that the
// editor's list leaves out (F5 would start a send behind it, Ctrl+Z change
// the field, Ctrl+-, the arrows, the wheel or the middle button move it, the
// dialect toggle open its chooser over it), one that Escape does not close
// (or closes when it must stay), and a check that holds the field back when
// nothing is open.
TEST_F(FieldSceneLinkTest, WhileAPopupOrAnOverlayIsOpenTheFieldRestsAndEscapeClosesIt) {
    enum class OnEscape { nothingOpen, closes, stays, stopsTheSend };
    const struct {
        const char* name;
        std::function<void(FieldScene*)> open;
        OnEscape escape;
    } rows[] = {
        {"nothing open", nullptr, OnEscape::nothingOpen},
        {"the port list", [](FieldScene* editor) { editor->getSession().rooms().link->showPortList(); },
         OnEscape::closes},
        {"the dialect chooser",
         [](FieldScene* editor) { editor->getSession().rooms().dialectToggle->showDialectChooser(); },
         OnEscape::closes},
        {"the number editor",
         [](FieldScene* editor) {
             editor->openNumberEditor(
                 dynamic_cast<InputCardSprite*>(editor->getSession().rooms().board->cardNodes().at(1)));
         },
         OnEscape::closes},
        {"the program panel", [](FieldScene* editor) { editor->getSession().rooms().programPanel->open(); },
         OnEscape::closes},
        {"an alert box", [](FieldScene* editor) { Notice::show(editor, "ほんぶん", "おしらせ"); },
         OnEscape::closes},
        {"the stop's loading overlay",
         [](FieldScene* editor) { editor->getSession().rooms().link->showLoadingOverlay(); },
         OnEscape::stays},
        // Last: its send is held at the first write until the test ends.
        {"the sending overlay",
         [this](FieldScene* editor) {
             script->onWrite = [gate = &gate](std::uint8_t, bool) { gate->onWrite(); };
             editor->getSession().rooms().link->runOnBoard();
             gate.waitForFirstWrite();
         },
         OnEscape::stopsTheSend},
    };
    const auto press = [this](SDL_Keycode key, Uint16 modifiers = KMOD_NONE) {
        driver->keyPress(key, modifiers);
        driver->step();
    };
    const Vec2 overField(800, 300);
    BoardLink* link = nullptr;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FieldScene* editor = openWithPorts({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
        link = editor->getSession().rooms().link.get();
        int plays = 0;
        editor->getSession().rooms().runControls->onPlay = [&plays] { ++plays; };
        editor->getSession().rooms().board->addCard(0, 0, Vec2(652.5f, 523 + 768 * 6.33f), 255);
        editor->getSession().rooms().board->addCard(2, 2, Vec2(652.5f, 653 + 768 * 6.33f), 255);
        editor->saveField();
        if (row.open) {
            row.open(editor);
        }
        driver->advance(0.2f);
        const bool fieldMoves = !row.open;
        ASSERT_EQ(editor->getSession().isModalOpen(), !fieldMoves);
        const std::size_t undoSteps = editor->getSession().rooms().undoRedo->history().undoSteps();
        ASSERT_GT(undoSteps, 0u);
        FieldScrollView* field = editor->getSession().rooms().fieldView;

        press(SDLK_F5);
        EXPECT_EQ(plays, fieldMoves ? 1 : 0);
        press(SDLK_z, KMOD_LCTRL);
        EXPECT_EQ(editor->getSession().rooms().undoRedo->history().undoSteps(),
                  fieldMoves ? undoSteps - 1 : undoSteps);
        Vec2 offset = field->getContentOffset();
        press(SDLK_DOWN);
        EXPECT_EQ(field->getContentOffset() != offset, fieldMoves) << "arrow";
        offset = field->getContentOffset();
        driver->mouseScroll(overField, -3);
        driver->step();
        EXPECT_EQ(field->getContentOffset() != offset, fieldMoves) << "wheel";
        float zoom = field->getZoomScale();
        press(SDLK_MINUS, KMOD_LCTRL);
        EXPECT_EQ(field->getZoomScale() != zoom, fieldMoves) << "Ctrl+-";
        zoom = field->getZoomScale();
        driver->mouseDown(2, overField);
        driver->mouseUp(2, overField);
        driver->step();
        EXPECT_EQ(field->getZoomScale() != zoom, fieldMoves) << "middle button";

        press(SDLK_ESCAPE);
        driver->advance(0.3f);
        switch (row.escape) {
        case OnEscape::nothingOpen:
        case OnEscape::closes:
            EXPECT_FALSE(editor->getSession().isModalOpen());
            break;
        case OnEscape::stays:
            EXPECT_TRUE(editor->getSession().isModalOpen());
            break;
        case OnEscape::stopsTheSend:
            EXPECT_TRUE(link->isStopRequested());
            break;
        }

        // The toggle beneath: a tap on it reaches the popup (which may close
        // on a tap beside it) and never opens the chooser over it. The
        // chooser's own veil lies over the toggle.
        if (row.open && std::string(row.name) != "the dialect chooser") {
            if (!editor->getSession().isModalOpen()) {
                row.open(editor);
                driver->advance(0.2f);
            }
            ASSERT_TRUE(editor->getSession().isModalOpen());
            tap(editor->getSession().rooms().dialectToggle->getPosition()); // a child of the scene
            driver->advance(0.3f);
            EXPECT_EQ(editor->getSession().rooms().dialectToggle->getChooser(), nullptr);
        }
    }
    gate.release();
    link->waitForWorkers();
    driver->advance(0.5f);
}

} // namespace
