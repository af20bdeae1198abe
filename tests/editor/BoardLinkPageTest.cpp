// The board link of a browser build: ports, choices and transfers through the
// page's serial link (a fake here), on the main thread, polled once a frame.
#include "device/PavluneCardSerialManager.h"
#include "device/web/WebSerialBackend.h"
#include "editor/EditorChoices.h"
#include "editor/link/BoardLink.h"
#include "editor/link/ChooseBoardButton.h"
#include "editor/link/LinkChannel.h"
#include "editor/link/LinkSetup.h"
#include "editor/link/PortControls.h"
#include "editor/link/SendingOverlay.h"
#include "engine/2d/Label.h"
#include "engine/2d/Layer.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "engine/platform/MessageBox.h"
#include "program/VirtualTransferClock.h"
#include "tests/device/FakeSerialPage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace {

using State = pavlune::SerialPage::Transfer::State;

std::string writesOf(const std::string& json) {
    static const std::regex write(R"(\[0,(\d+)\])");
    std::string bytes;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), write); it != std::sregex_iterator();
         ++it) {
        bytes.push_back(static_cast<char>(std::stoi((*it)[1].str())));
    }
    return bytes;
}

class BoardLinkPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver = std::make_unique<engine::HeadlessDriver>();
        page = std::make_shared<pavlune::FakeSerialPage>();
        page->present = {{"USB 2341:0043", true}};
        serial = std::shared_ptr<pavlune::PavluneCardSerialManager>(
            new pavlune::PavluneCardSerialManager(std::make_unique<pavlune::WebSerialBackend>(page)),
            [](pavlune::PavluneCardSerialManager* manager) { manager->release(); });
        setup = LinkSetup{serial, [] { return std::make_unique<pavlune::VirtualTransferClock>(); }, page};
        engine::setMessageBoxHandler([this](const std::string& message, const std::string& title) {
            messages.emplace_back(title, message);
        });
        scene = engine::Scene::create();
        bar = engine::Layer::create();
        scene->addChild(bar);
        driver->runWithScene(scene);
        BoardLinkHooks hooks{[] {}, [](std::function<void()> done) { done(); },
                             [] { return pavlune::FieldRows(40); },
                             [] { return EditorChoices().catalogue(); }};
        link = std::make_unique<BoardLink>(scene, bar, std::move(hooks), setup);
        link->startSerial();
        settle();
    }

    void TearDown() override {
        link->waitForWorkers();
        link.reset();
        engine::setMessageBoxHandler(nullptr);
        driver.reset();
    }

    void settle() {
        for (int round = 0; round < 4; ++round) {
            link->waitForWorkers();
            driver->step();
        }
    }

    std::string status() const { return link->getPortControls()->getStatusLabel()->getString(); }

    std::unique_ptr<engine::HeadlessDriver> driver;
    std::shared_ptr<pavlune::FakeSerialPage> page;
    std::shared_ptr<pavlune::PavluneCardSerialManager> serial;
    LinkSetup setup;
    engine::Scene* scene = nullptr;
    engine::Layer* bar = nullptr;
    std::unique_ptr<BoardLink> link;
    std::vector<std::pair<std::string, std::string>> messages; // (caption, text)
};

TEST_F(BoardLinkPageTest, ASendRunsOnThePageWithTheEchoAndOneTapOnStopStopsTheBoard) {
    EXPECT_EQ(status(), "\u25CF USB 2341:0043 [ Web Serial ]");
    link->runOnBoard();
    ASSERT_EQ(page->started.size(), 1U);
    EXPECT_EQ(writesOf(page->started[0].json).substr(0, 7), "\x1B\nOUT0\n");
    SendingOverlay* overlay = link->getSendingOverlay();
    ASSERT_NE(overlay, nullptr);

    // Past the break and the reset, three characters of the prologue echoed.
    page->next = {State::running, 21 + 4 * 3, "", ""};
    for (int frame = 0; frame < 3; ++frame) {
        driver->step();
    }
    EXPECT_EQ(overlay->getEchoedText(), "\n\n\n");

    overlay->onStop();
    driver->step();
    EXPECT_EQ(page->stopped, std::vector<int>{101}) << "the page is asked to stop that transfer";
    page->next = {State::stopped, 21 + 4 * 3, "", ""};
    settle();
    settle();
    // One tap: the send ends, then the board is stopped with break and reset.
    ASSERT_EQ(page->started.size(), 2U);
    EXPECT_EQ(writesOf(page->started[1].json), "\x1B\nOUT0\n");
    EXPECT_TRUE(link->isTransferring());
    page->next = {State::done, 100, "", ""};
    settle();
    EXPECT_FALSE(link->isTransferring());
    EXPECT_EQ(link->getSendingOverlay(), nullptr);
    EXPECT_EQ(link->getLoadingOverlay(), nullptr);
    EXPECT_TRUE(messages.empty());
}

TEST_F(BoardLinkPageTest, APortThePageCannotOpenIsExplainedInTheDesktopWords) {
    link->runOnBoard();
    page->next = {State::openFailed, 0, "busy", "Failed to open serial port."};
    settle();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].first, "しっぱい");
    EXPECT_EQ(messages[0].second,
              "せつぞくしなおしてください。\nほかの プログラムが ポートを つかっているよ。");
    EXPECT_FALSE(link->isTransferring());
}

TEST_F(BoardLinkPageTest, TheChooserButtonIsWhereItIsDrawnAndOnlyWhileNothingCoversIt) {
    ChooseBoardButton* button = link->getChooseButton();
    ASSERT_NE(button, nullptr);
    driver->step();
    // 150 x 40 units from x 847, y 41 (bottom) on the open bar, in fractions
    // of the 1024 x 768 canvas from its top left.
    ASSERT_EQ(page->chooseArea.size(), 4U);
    EXPECT_NEAR(page->chooseArea[0], 847.0 / 1024, 1e-4);
    EXPECT_NEAR(page->chooseArea[1], 1 - 81.0 / 768, 1e-4);
    EXPECT_NEAR(page->chooseArea[2], 997.0 / 1024, 1e-4);
    EXPECT_NEAR(page->chooseArea[3], 1 - 41.0 / 768, 1e-4);

    link->runOnBoard(); // the sending overlay covers it
    driver->step();
    EXPECT_EQ(page->chooseArea, (std::vector<float>{0, 0, 0, 0}));
    page->next = {State::done, 1000, "", ""};
    settle();
    link->removeSendingOverlay();
    driver->step();
    EXPECT_GT(page->chooseArea[2], 0);

    bar->setPositionY(-92); // the bar slid down: off the canvas
    driver->step();
    EXPECT_EQ(page->chooseArea, (std::vector<float>{0, 0, 0, 0}));

    // A browser without Web Serial: the button stays, the page has nowhere
    // to open a chooser, and a press says which browsers reach a board.
    page->isAvailable = false;
    bar->setPositionY(0);
    link.reset();
    driver->step();
    EXPECT_EQ(page->chooseArea, (std::vector<float>{0, 0, 0, 0}));
    link = std::make_unique<BoardLink>(scene, bar, BoardLinkHooks{}, setup);
    driver->step();
    EXPECT_TRUE(link->getChooseButton()->getNode()->isVisible());
    EXPECT_EQ(page->chooseArea, (std::vector<float>{0, 0, 0, 0}));
    driver->touchBegan({922, 61});
    driver->touchEnded({922, 61});
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].first, "ボードに つなぐには");
    EXPECT_NE(messages[0].second.find("クロームか エッジで ひらいてね"), std::string::npos);
    EXPECT_EQ(page->chooseCalls, 0);
}

// The caption must read on the white button: its darkest pixel against the
// white, by the contrast ratio of relative luminances, at least 4.5 : 1.
TEST_F(BoardLinkPageTest, TheChooserCaptionReadsOnItsWhiteButton) {
    driver->step();
    const auto luminance = [](const engine::Color4B& c) {
        const auto linear = [](std::uint8_t v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
    };
    engine::Image frame;
    ASSERT_TRUE(driver->capture(frame));
    double darkest = 1;
    // The button's inside (847..997 by 41..81, y up), a unit in from its edges.
    const engine::Vec2 topLeft = driver->toFrame({848, 80});
    const engine::Vec2 bottomRight = driver->toFrame({996, 42});
    for (int x = static_cast<int>(topLeft.x); x < static_cast<int>(bottomRight.x); ++x) {
        for (int y = static_cast<int>(topLeft.y); y < static_cast<int>(bottomRight.y); ++y) {
            darkest = std::min(darkest, luminance(frame.getPixel(x, y)));
        }
    }
    EXPECT_LT(darkest, 0.9) << "no caption drawn";
    EXPECT_GE((1.0 + 0.05) / (darkest + 0.05), 4.5);
}

TEST_F(BoardLinkPageTest, AChooserTheSchoolBlocksIsToldAndAClosedOneIsNot) {
    page->onChange(); // nothing counted up: the user closed the chooser
    settle();
    EXPECT_TRUE(messages.empty());
    page->refusalCount = 1;
    page->onChange();
    settle();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].first, "おしらせ");
    EXPECT_EQ(messages[0].second, "がっこうの せっていで、ボードに つなげないように なっているよ。\n"
                                  "（先生へ：管理者の設定でシリアルポートが禁止されています）");
    EXPECT_EQ(status(), "\u25CF USB 2341:0043 [ Web Serial ]") << "the chosen board stays";
}

TEST_F(BoardLinkPageTest, ABoardChosenInTheBrowserBecomesTheOneThatIsRunOn) {
    std::string remembered;
    link->onPortChosen = [&remembered](const pavlune::PortIdentity& port) { remembered = port.name; };
    page->present = {{"USB 2341:0043", true}, {"USB 0403:6001", true}};
    page->changeCount = 1;
    page->choiceCount = 1;
    page->chosen = 1;
    page->onChange();
    settle();
    EXPECT_EQ(status(), "\u25CF USB 0403:6001 [ Web Serial ]");
    EXPECT_EQ(remembered, "USB 0403:6001");

    // Unplugged: the page's list changes, a search follows by itself.
    page->present = {{"USB 2341:0043", true}};
    page->changeCount = 2;
    page->onChange();
    settle();
    EXPECT_EQ(status(), std::string("  USB 0403:6001 が はずれているよ"));
}

} // namespace
