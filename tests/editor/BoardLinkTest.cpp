// The editor's board link: the port status line and list, play and stop with
// their overlays, and the worker threads, against a fake serial backend.

#include "catalogue/DeviceManager.h"
#include "catalogue/Dialect.h"
#include "editor/EditorTexts.h"
#include "editor/focus/FocusFrame.h"
#include "editor/link/LoadingOverlay.h"
#include "editor/link/PortListPopup.h"
#include "editor/link/ScreenBoard.h"
#include "editor/link/SendingOverlay.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/base/Log.h"
#include "tests/editor/BoardLinkFixture.h"
#include "widgets/AlertView.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using engine::Vec2;
using pavlune::PavluneCardSerialManager;
using pavlune::SerialPortInfo;

namespace {

const Vec2 kPortField(610, 61); // the port box on the open bar
const Vec2 kOutside(100, 600);
const Vec2 kAlertOk(362, 284);
const Vec2 kLoneOk(512, 284); // a box that only informs has its OK in the middle

// Catches a wrong marker, a state that is not shown, and an index past the
// list taken as a record.
TEST(PortStatusTextTest, EveryState) {
    const std::vector<SerialPortInfo> ports{{"/dev/ttyUSB0", "Board", true}, {"COM3", "USB", false}};
    struct Case {
        int state;
        std::vector<SerialPortInfo> ports;
        int selected;
        std::string missing;
        std::string expected;
    };
    const std::vector<Case> cases{
        {PavluneCardSerialManager::stateSearching, ports, 0, "", "ボードを さがしているよ"},
        {PavluneCardSerialManager::stateIdle, {}, 0, "", "ボードが みつからないよ"},
        {PavluneCardSerialManager::stateIdle, ports, 0, "", "\u25CF /dev/ttyUSB0 [ Board ]"},
        {PavluneCardSerialManager::stateIdle, ports, 1, "", "  COM3 [ USB ]"},
        {PavluneCardSerialManager::stateIdle, ports, 2, "", "ボードが みつからないよ"},
        {PavluneCardSerialManager::stateIdle, ports, -1, "/dev/ttyACM0", "  /dev/ttyACM0 が はずれているよ"},
        {PavluneCardSerialManager::stateConnecting, ports, 1, "", "COM3 [ Connectiong ... ]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortControls::statusText(c.state, c.ports, c.selected, c.missing), c.expected);
    }
    EXPECT_TRUE(PortControls::turnsInState(PavluneCardSerialManager::stateSearching));
    EXPECT_FALSE(PortControls::turnsInState(PavluneCardSerialManager::stateIdle));
}

// Catches a search only on activate's one callback per process (a second
// editor would say EditorTexts::kSearching for ever) and an icon that keeps turning.
TEST_F(BoardLinkTest, EveryEditorSearchesAtItsStartAndTheIconStops) {
    present({{"/dev/ttyUSB0", "Board A", false}});
    engine::Sprite* icon = link->getPortControls()->getReloadIcon();
    EXPECT_EQ(status(), EditorTexts::kSearching);
    EXPECT_GT(icon->getNumberOfRunningActions(), 0u);
    link->startSerial();
    settle();
    EXPECT_EQ(status(), "\u25CF /dev/ttyUSB0 [ Board A ]");
    EXPECT_EQ(icon->getNumberOfRunningActions(), 0u);

    link.reset();
    link = makeLink(); // the second editor of the process
    link->startSerial();
    settle();
    EXPECT_EQ(status(), "\u25CF /dev/ttyUSB0 [ Board A ]");
}

// Catches rows laid anywhere but upwards from the box's top edge, a pressed
// row not at 128, a choice that does not move the active mark, and a touch
// outside that changes the selection.
TEST_F(BoardLinkTest, TheListShowsEveryPortAndTheChosenOneBecomesActive) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    link->startSerial();
    settle();
    tap(kPortField);
    PortListPopup* list = link->getPortList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rowCount(), 2);
    auto* second = list->getLayer()->getChildByTag(1);
    ASSERT_NE(second, nullptr);
    EXPECT_FLOAT_EQ(second->getPositionY(), 86 + 5 + 50 + 2 + 25) << "above the first row and its separator";
    EXPECT_FLOAT_EQ(second->getPositionX(), 410);

    const Vec2 onSecond(610, second->getPositionY());
    driver->touchBegan(onSecond);
    driver->step();
    EXPECT_EQ(second->getOpacity(), 128);
    driver->touchEnded(onSecond);
    settle();
    driver->advance(0.2f);
    EXPECT_EQ(link->getPortList(), nullptr);
    EXPECT_EQ(status(), "\u25CF /dev/ttyUSB1 [ B ]");
    EXPECT_EQ(serial->getSelectedIndex(), 1);

    tap(kPortField);
    ASSERT_NE(link->getPortList(), nullptr);
    tap(kOutside);
    driver->advance(0.2f);
    EXPECT_EQ(link->getPortList(), nullptr);
    EXPECT_EQ(serial->getSelectedIndex(), 1);
}

// The keys on the open list (the editor's arrows and Return reach it through
// the session). Catches the first arrow skipping the row on the box, Up and
// Down swapped, a frame that steps off either end instead of going round,
// Return choosing with no row framed, and a frame drawn elsewhere than on
// the row: row 0 lies 86 + 5 up to 86 + 5 + 50, the frame's yellow band
// 2 to 6 outside it.
TEST_F(BoardLinkTest, TheArrowsFrameAPortRowAndReturnChoosesIt) {
    const struct {
        std::vector<int> steps;
        const char* chosen;
    } cases[] = {
        {{}, nullptr},
        {{1}, "/dev/ttyUSB0"},
        {{-1, -1}, "/dev/ttyUSB1"},
        {{-1, -1, -1, -1}, "/dev/ttyUSB0"},
        {{1, 1}, "/dev/ttyUSB2"},
    };
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}, {"/dev/ttyUSB2", "C", false}});
    link->startSerial();
    settle();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps.size());
        tap(kPortField);
        PortListPopup* list = link->getPortList();
        ASSERT_NE(list, nullptr);
        std::string chosen;
        list->onChoose = [&chosen](const std::string& name) { chosen = name; };
        for (const int step : c.steps) {
            list->moveFocus(step);
        }
        driver->step();
        if (c.chosen && c.steps.size() == 1) {
            const engine::Color4B yellow = driver->pixelAt(Vec2(610, 86 + 5 + 50 + 4));
            EXPECT_EQ(yellow, FocusFrame::kInnerColour);
        }
        EXPECT_EQ(list->chooseFocused(), c.chosen != nullptr);
        EXPECT_EQ(chosen, c.chosen ? c.chosen : "");
        tap(kOutside);
        driver->advance(0.2f);
    }
}

// Catches a guard that lets a command start without a port, or fails to
// bring the port status into view.
TEST_F(BoardLinkTest, WithoutAPortPlayAndStopOnlyOpenTheBar) {
    link->startSerial();
    settle();
    EXPECT_EQ(status(), EditorTexts::kNotFound);
    tap(kPortField);
    EXPECT_EQ(link->getPortList(), nullptr);
    link->runOnBoard();
    link->stopOnBoard();
    EXPECT_EQ(barOpenings, 2);
    EXPECT_EQ(link->getSendingOverlay(), nullptr);
    EXPECT_EQ(link->getLoadingOverlay(), nullptr);
    EXPECT_FALSE(link->isTransferring());
}

// Catches the handling out of order, a reason left off, no new search, the
// bar left closed, and an overlay that is not turned into a closable panel.
TEST_F(BoardLinkTest, APortThatDoesNotOpenIsExplainedSearchedAgainAndThePanelCloses) {
    present({{"/dev/ttyUSB0", "A", false}});
    link->startSerial();
    settle();
    int searches = 0;
    {
        std::lock_guard lock(script->mutex);
        script->openable = {"/dev/none"};
        script->refusal = pavlune::PortOpenError::fromErrno(EACCES);
        script->onEnumerate = [&searches] { ++searches; };
    }
    link->runOnBoard();
    ASSERT_NE(link->getSendingOverlay(), nullptr);
    settle();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "しっぱい");
    EXPECT_EQ(icons[0], engine::MessageBoxIcon::failure);
    EXPECT_EQ(messages[0].second.rfind("せつぞくしなおしてください。\n", 0), 0u);
    EXPECT_NE(messages[0].second.find("dialout"), std::string::npos);
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(barOpenings, 1);
    EXPECT_FALSE(link->isTransferring());
    EXPECT_EQ(link->getSendingOverlay(), nullptr) << "the box told it: its OK returns to the editor";
}

// The words the editor chooses for each way a transfer ends early, checked
// against the product's own texts. Catches a kind given another's words or
// actions, a port reason dropped or put on the first line, and the system's
// English text shown to a child instead of logged.
TEST(PavluneAppsErrorTest, EachFailureKindHasItsWordsAndActions) {
    using pavlune::PortOpenError;
    using pavlune::TransferFailure;
    struct Case {
        TransferFailure failure;
        PavluneAppsError expected;
    };
    const Case cases[] = {
        {{TransferFailure::Kind::portNotOpened, PortOpenError::fromErrno(EACCES)},
         {"しっぱい",
          "せつぞくしなおしてください。\nポートを ひらけないよ（dialout グループに はいっていますか）。",
          true, true, true}},
        {{TransferFailure::Kind::portNotOpened, PortOpenError::fromErrno(EBUSY)},
         {"しっぱい", "せつぞくしなおしてください。\nほかの プログラムが ポートを つかっているよ。", true,
          true, true}},
        {{TransferFailure::Kind::portNotOpened, PortOpenError::fromErrno(ENOENT)},
         {"しっぱい",
          "せつぞくしなおしてください。\nポートが みつからないよ（ケーブルが はずれていない？）。", true,
          true, true}},
        {{TransferFailure::Kind::portNotOpened, {PortOpenError::Kind::notSelected, ""}},
         {"しっぱい", "せつぞくしなおしてください。\nポートが えらばれていないよ。", true, true, true}},
        {{TransferFailure::Kind::portNotOpened, {PortOpenError::Kind::other, "Input/output error"}},
         {"しっぱい", "せつぞくしなおしてください。\nポートを ひらけなかったよ。", true, true, true}},
        {{TransferFailure::Kind::portNotOpened,
          {PortOpenError::Kind::notATerminal, "Inappropriate ioctl for device"}},
         {"しっぱい", "せつぞくしなおしてください。\nポートを ひらけなかったよ。", true, true, true}},
        {{TransferFailure::Kind::portNotOpened, {PortOpenError::Kind::blocked, "Access denied."}},
         {"おしらせ",
          "がっこうの せっていで、ボードに つなげないように なっているよ。\n"
          "（先生へ：管理者の設定でシリアルポートが禁止されています）",
          true, false, false}},
        {{TransferFailure::Kind::writeFailed, {}},
         {"しっぱい", "せつぞくにしっぱいしました。", true, true, true}},
        {{TransferFailure::Kind::cannotStop, {}},
         {"ボードを とめるには", "ボードの リセットボタンを おしてね。", true, false, false}},
        {{TransferFailure::Kind::stopped, {}}, {"", "", false, false, false}},
    };
    for (const Case& c : cases) {
        engine::Log::Capture log;
        EXPECT_EQ(PavluneAppsError::forFailure(c.failure), c.expected) << c.expected.message;
        if (c.failure.port.kind == PortOpenError::Kind::other ||
            c.failure.port.kind == PortOpenError::Kind::notATerminal) {
            EXPECT_EQ(log.linesWith({c.failure.port.osText}).size(), 1u) << "the system's reason is logged";
        }
    }
}

AlertView* alertIn(engine::Node* scene) {
    for (engine::Node* child : scene->getChildren()) {
        if (auto* box = dynamic_cast<AlertView*>(child)) {
            return box;
        }
    }
    return nullptr;
}

// Catches the failure dropped where no system box can be shown (an X server
// without its fonts): the editor's own box must say it, and a tap closes it.
TEST_F(BoardLinkTest, AFailureNoSystemBoxCanShowAppearsInTheEditorsOwnBox) {
    engine::setMessageBoxHandler(nullptr); // headless: the system box reaches nobody
    present({{"/dev/ttyUSB0", "A", false}});
    link->startSerial();
    settle();
    {
        std::lock_guard lock(script->mutex);
        script->openable = {"/dev/none"};
        script->refusal = pavlune::PortOpenError::fromErrno(ENOENT);
    }
    link->runOnBoard();
    settle();
    AlertView* box = alertIn(scene);
    ASSERT_NE(box, nullptr);
    std::string said;
    for (engine::Node* child : box->getChildren()) {
        if (auto* label = dynamic_cast<engine::Label*>(child)) {
            said = label->getString();
        }
    }
    EXPECT_EQ(said.rfind("しっぱい\nせつぞくしなおしてください。", 0), 0u);

    tap(kLoneOk);
    driver->advance(0.2f);
    EXPECT_EQ(alertIn(scene), nullptr);
    EXPECT_EQ(link->getSendingOverlay(), nullptr) << "one tap on OK and the editor is back";
}

// Catches a stop button that only closes the overlay while the board runs
// on, a second command while the first still runs (or one that clears the
// flag the running send still reads), and a stop routine that never comes.
TEST_F(BoardLinkTest, OneTapOnStopEndsTheSendAndStopsTheBoard) {
    present({{"/dev/ttyUSB0", "A", false}});
    link->startSerial();
    settle();
    holdWrites();
    link->runOnBoard();
    SendingOverlay* overlay = link->getSendingOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_TRUE(overlay->usesBoardFont()) << "jam is shown in the board's font";
    gate.waitForFirstWrite();
    engine::Sprite* stop = overlay->getStopButton();
    ASSERT_NE(stop, nullptr);
    tap(stop->getParent()->convertToWorldSpace(stop->getPosition()));
    driver->step();
    EXPECT_TRUE(link->isStopRequested());
    EXPECT_EQ(overlay->getStopButton(), nullptr);
    EXPECT_EQ(overlay->getCaption()->getString(), EditorTexts::kStopping);

    serial->getCallRequestHandler()(pavlune::SerialCallType::run); // the board asks, as play would
    driver->step();
    EXPECT_TRUE(link->isStopRequested()) << "the running send must still see the stop";
    {
        std::lock_guard lock(script->mutex);
        EXPECT_EQ(script->opens.size(), 1u) << "no second transfer";
        script->onWrite = nullptr;
    }

    gate.release();
    settle();
    EXPECT_FALSE(link->isTransferring());
    EXPECT_EQ(link->getSendingOverlay(), nullptr);
    EXPECT_EQ(link->getLoadingOverlay(), nullptr);
    std::lock_guard lock(script->mutex);
    EXPECT_EQ(script->opens.size(), 2u) << "the send, then the stop";
    // The send's first byte (the stop is noticed after it), then the stop
    // routine's break and reset.
    EXPECT_EQ(script->written, "\x1B"
                               "\x1B\nOUT0\n");
}

// What the panel claims after a send, against what came back on the line.
// Catches a panel that says a board ran the program, a board's answer not
// shown (or shown with its control bytes, or its first line instead of its
// last), the silence of a built-in port not told, and that warning given on
// a USB port, where the editor cannot tell silence from a quiet board.
TEST_F(BoardLinkTest, AfterASendThePanelSaysSentAndShowsOnlyWhatCameBack) {
    using T = SerialPortInfo::Transport;
    const SerialPortInfo usb{"/dev/ttyUSB0", "FT232R", false, T::usb, 0x0403, 0x6001, "A1"};
    const SerialPortInfo uart{"/dev/ttyS0", "16550A", false, T::native};
    struct Case {
        const char* what;
        SerialPortInfo port;
        std::string answer;
        std::string shown; // beside the caption; empty: nothing
    };
    const Case cases[] = {
        {"USB, the board answers", usb, "RUN\r\nOK\r\n", "ボードの へんじ： OK"},
        {"USB, nothing comes back", usb, "", ""},
        {"built-in, nothing comes back", uart, "", "へんじが ないよ。ボードが つながって いないかも"},
        {"built-in, an answer with control bytes", uart, "\x1B[1mready\x07\r\n",
         "ボードの へんじ： [1mready"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        present({c.port});
        {
            std::lock_guard lock(script->mutex);
            script->answer = c.answer;
        }
        link->searchPortsInBackground();
        settle();
        ASSERT_TRUE(serial->choosePort(c.port.name)); // a built-in port only when the child picks it
        link->runOnBoard();
        settle();
        SendingOverlay* overlay = link->getSendingOverlay();
        ASSERT_NE(overlay, nullptr);
        ASSERT_TRUE(overlay->isPanel());
        EXPECT_EQ(overlay->getCaption()->getString(), "おくったよ");
        EXPECT_EQ(overlay->getAnswer() ? overlay->getAnswer()->getString() : std::string(), c.shown);
        // Drawn: the answer's light blue beside the caption, or none of it.
        bool blueSeen = false;
        for (float x = 230; x < 700 && !blueSeen; x += 2) {
            for (float y = 700; y < 722 && !blueSeen; y += 2) {
                const engine::Color4B pixel = driver->pixelAt(Vec2(x, y));
                blueSeen = pixel.b > 190 && pixel.g > 160 && pixel.r < 150;
            }
        }
        EXPECT_EQ(blueSeen, !c.shown.empty());
        link->removeSendingOverlay();
        settle();
    }
}

// Catches a finished panel that looks like the running send (no word, no way
// out shown), text that is hard to read, and a panel that closes by itself.
TEST_F(BoardLinkTest, AFinishedSendSaysSoOnAReadablePanelAndOneTapCloses) {
    present({{"/dev/ttyUSB0", "A", false}});
    // A white button that the editor keeps above its other nodes (the dialect button's place).
    auto* raised = engine::LayerColor::create(engine::Color4B(255, 255, 255, 255), 200, 200);
    raised->setPosition(700, 300);
    scene->addChild(raised, 1);
    link->startSerial();
    settle();
    link->runOnBoard();
    settle();
    SendingOverlay* overlay = link->getSendingOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_TRUE(overlay->isPanel());
    EXPECT_EQ(overlay->getCaption()->getString(), "おくったよ");
    EXPECT_NE(overlay->getCloseButton(), nullptr);
    EXPECT_EQ(overlay->getStopButton(), nullptr);
    EXPECT_EQ(overlay->getSpinner(), nullptr);
    // The newest line at the bottom: the jam program ends with RUN.
    ASSERT_FALSE(overlay->getLines().empty());
    EXPECT_EQ(overlay->getLines()[overlay->getLines().size() - 2]->getString(), "RUN");
    EXPECT_EQ(overlay->getEchoedText().substr(overlay->getEchoedText().size() - 5), "RUN\r\n");

    // Dark panel, light letters: a pixel of the panel beside the text is
    // dark, over the raised button too.
    const engine::Color4B panel = driver->pixelAt(Vec2(800, 400));
    EXPECT_LT(panel.r + panel.g + panel.b, 3 * 60)
        << int(panel.r) << "," << int(panel.g) << "," << int(panel.b);
    driver->advance(2.0f);
    EXPECT_EQ(link->getSendingOverlay(), overlay) << "the panel waits for a tap";
    tap(kOutside);
    EXPECT_EQ(link->getSendingOverlay(), nullptr);
}

// Catches a stop in que reported as done while the board runs on.
TEST_F(BoardLinkTest, StopInQueSaysToPressTheResetButton) {
    present({{"/dev/ttyUSB0", "A", false}});
    link->startSerial();
    settle();
    pavlune::DeviceManager::getInstance()->setCurrentDialect(pavlune::que);
    link->stopOnBoard();
    settle();
    pavlune::DeviceManager::getInstance()->setCurrentDialect(pavlune::jam);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], std::make_pair(std::string("ボードを とめるには"),
                                          std::string("ボードの リセットボタンを おしてね。")));
    EXPECT_EQ(link->getLoadingOverlay(), nullptr);
    std::lock_guard lock(script->mutex);
    EXPECT_TRUE(script->written.empty());
}

// Catches a search that puts a built-in port, or the simulator, ahead of a
// board, and a play that goes to a port with no board on it.
TEST_F(BoardLinkTest, TheBoardIsChosenAheadOfABuiltInPortAndWithoutOneTheSimulatorIsOffered) {
    using T = SerialPortInfo::Transport;
    serial->setLastPort("/run/screen-board", EditorTexts::kScreenBoardName);
    present({{"/dev/ttyS0", "ttyS0", false, T::native}});
    link->startSerial();
    settle();
    EXPECT_EQ(status(), EditorTexts::kNotFound);
    link->runOnBoard();
    driver->step();
    EXPECT_EQ(barOpenings, 1);
    EXPECT_EQ(link->getSendingOverlay(), nullptr);
    AlertView* offer = alertIn(scene);
    ASSERT_NE(offer, nullptr) << "play offers the simulator";
    tap(kAlertOk);
    settle();
    {
        std::lock_guard lock(script->mutex);
        ASSERT_EQ(script->opens.size(), 1u);
        EXPECT_EQ(script->opens[0], "/run/screen-board");
    }
    EXPECT_EQ(status(), "\u25CF " + std::string(EditorTexts::kScreenBoardName));

    // A board plugged in later is not chosen over what the user took.
    present({{"/dev/ttyS0", "ttyS0", false, T::native}, {"/dev/ttyUSB0", "CP2102", false, T::usb}});
    link->searchPortsInBackground();
    settle();
    EXPECT_EQ(serial->getSelectedPort()->name, "/run/screen-board");
    EXPECT_EQ(serial->getPorts().front().name, "/dev/ttyUSB0") << "but it is listed first";
}

// Catches another port chosen without a word when the chosen one is pulled
// out, and a play that then sends somewhere else.
TEST_F(BoardLinkTest, AChosenBoardPulledOutIsShownGoneAndPlayExplains) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    serial->setExtraPorts({"/dev/pts/9"});
    link->startSerial();
    settle();
    ASSERT_TRUE(serial->choosePort("/dev/ttyUSB1"));
    present({{"/dev/ttyUSB0", "A", false}});
    link->searchPortsInBackground();
    settle();
    EXPECT_EQ(status(), "  /dev/ttyUSB1" + std::string(EditorTexts::kMissingSuffix));
    link->runOnBoard();
    link->stopOnBoard();
    settle();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].second, EditorTexts::kMissingBoardMessage);
    EXPECT_EQ(icons[0], engine::MessageBoxIcon::information)
        << "an unplugged board is no failure of the program";
    EXPECT_EQ(barOpenings, 2);
    std::lock_guard lock(script->mutex);
    EXPECT_TRUE(script->opens.empty());
}

// Catches a list that chooses by the row's place when a search has changed
// the list under it: a tap must choose the port its row showed.
TEST_F(BoardLinkTest, AListOpenWhileASearchEndsShowsTheNewListAndATapChoosesWhatItShows) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    link->startSerial();
    settle();
    tap(kPortField);
    ASSERT_NE(link->getPortList(), nullptr);
    ASSERT_EQ(link->getPortList()->rowCount(), 2);

    present({{"/dev/ttyACM0", "C", false}, {"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    link->searchPortsInBackground(); // hot-plug
    settle();
    driver->advance(0.2f);
    PortListPopup* list = link->getPortList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rowCount(), 3) << "the list shows the ports as they are now";
    auto* second = dynamic_cast<engine::Label*>(list->getLayer()->getChildByTag(1));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->getString().find("/dev/ttyUSB0"), std::string::npos) << second->getString();
    tap(Vec2(610, second->getPositionY()));
    settle();
    EXPECT_EQ(serial->getSelectedPort()->name, "/dev/ttyUSB0");
}

// Catches a worker that reports to a link that has gone (run it with
// -DPAVLUNE_SANITIZE=address too).
TEST_F(BoardLinkTest, LeavingTheEditorDuringASendTouchesNothingThatIsGone) {
    present({{"/dev/ttyUSB0", "A", false}});
    link->startSerial();
    settle();
    holdWrites();
    link->runOnBoard();
    gate.waitForFirstWrite();
    std::shared_ptr<LinkChannel> channel = link->getChannel();
    link.reset();
    scene->removeAllChildren();
    gate.release();
    channel->waitForWorkers();
    driver->step(); // the reports queued meanwhile run now, and must do nothing
    driver->step();
    EXPECT_EQ(channel->runningWorkers(), 0);
}

// Catches the manager's arrival slot left unfilled, or filled with work
// that runs on the watcher's thread instead of being posted.
TEST_F(BoardLinkTest, APortPluggedInIsSearchedForByItself) {
    link->startSerial();
    settle();
    EXPECT_EQ(status(), EditorTexts::kNotFound);
    present({{"/dev/ttyACM0", "Board", false}});
    std::thread watcher([this] { serial->getPortArrivalHandler()(); });
    watcher.join();
    EXPECT_EQ(status(), EditorTexts::kNotFound) << "nothing happens off the main thread";
    settle();
    EXPECT_EQ(status(), "\u25CF /dev/ttyACM0 [ Board ]");
}

// Catches a foreground event that is not heard.
TEST_F(BoardLinkTest, ComingBackToTheForegroundSearchesAgain) {
    link->startSerial();
    settle();
    present({{"/dev/ttyACM0", "Board", false}});
    engine::Director::getInstance()->getEventDispatcher()->dispatchCustomEvent(
        BoardLink::kEnterForegroundEvent);
    settle();
    EXPECT_EQ(status(), "\u25CF /dev/ttyACM0 [ Board ]");
}

} // namespace

namespace {

// Catches a simulator looked for in the wrong place, a row the search drops,
// a send that goes to the row's name before the simulator is there, a
// simulator started without its line reports or not listened to, a send
// that does not say which rows it wrote, and a finished panel left over the field.
TEST_F(BoardLinkTest, PlayOnTheScreenBoardStartsTheSimulatorAndSendsThroughItsLink) {
    setenv("SDL_VIDEODRIVER", "dummy", 1); // the simulator's window, off screen
    ScreenBoard& board = ScreenBoard::get();
    board.listIn(*serial);
    present({{"/dev/ttyUSB0", "Board", false}});
    link->searchPortsInBackground();
    settle();
    const std::vector<SerialPortInfo> ports = serial->getPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[1].description, EditorTexts::kScreenBoardName);
    serial->setSelectedIndex(1);
    rows[0] = {pavlune::CardSlot{pavlune::basic, 0, ""}}; // LED on
    rows[1] = {pavlune::CardSlot{pavlune::basic, 2, ""}}; // wait

    link->runOnBoard();
    settle();
    EXPECT_TRUE(messages.empty()) << messages.front().second;
    ASSERT_TRUE(board.isRunning());
    std::array<char, 256> target{};
    ASSERT_GT(readlink(ports[1].name.c_str(), target.data(), target.size() - 1), 0);
    EXPECT_EQ(std::string(target.data()).rfind("/dev/pts/", 0), 0u) << target.data();
    {
        std::lock_guard lock(script->mutex);
        ASSERT_FALSE(script->opens.empty());
        EXPECT_EQ(script->opens.back(), ports[1].name);
    }
    EXPECT_EQ(link->getSendingOverlay(), nullptr) << "the finished panel would hide the lit row";

    // What the fake port took in, written to the simulator's line by hand:
    // the simulator says that it waits on line 20, the row of the wait card
    // sent, until the break stops it; sent again, then a real board chosen and sent to,
    // the row is no more lit while the simulator runs on.
    auto runningRowBecomes = [&board, this](std::optional<int> row) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (board.runningRow() != row && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            driver->step();
        }
        return board.runningRow() == row;
    };
    const int line = open(ports[1].name.c_str(), O_WRONLY);
    ASSERT_GE(line, 0) << std::strerror(errno);
    const std::string program = "\x1B"
                                "10 LED 1\r\n20 WAIT 600\r\nRUN\r\n";
    ASSERT_EQ(write(line, program.data(), program.size()), static_cast<ssize_t>(program.size()));
    EXPECT_TRUE(runningRowBecomes(1));
    ASSERT_EQ(write(line, "\x1B", 1), 1);
    EXPECT_TRUE(runningRowBecomes(std::nullopt));
    link->runOnBoard();
    settle();
    ASSERT_EQ(write(line, program.data(), program.size()), static_cast<ssize_t>(program.size()));
    EXPECT_TRUE(runningRowBecomes(1));
    serial->setSelectedIndex(0);
    link->updatePortStatus(); // as every choice in the list ends
    EXPECT_EQ(board.runningRow(), std::nullopt) << "a real board chosen";
    link->runOnBoard();
    settle();
    EXPECT_EQ(board.runningRow(), std::nullopt);
    close(line);
    board.listen(-1); // it reads no more into this test's engine
}

} // namespace
