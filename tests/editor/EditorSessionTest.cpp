// The session that the editor's rooms share: Escape's order over the popups
// they add, the commands the keys run and the one "edited" signal.

#include "editor/EditorSession.h"

#include "engine/2d/Scene.h"
#include "engine/platform/HeadlessDriver.h"
#include "widgets/AlertView.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class EditorSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene = engine::Scene::create();
        driver.runWithScene(scene);
        driver.step();
    }

    // A popup that says whether it is open and, when Escape asks it, whether it closed.
    EditorPopups::Popup popup(const std::string& name, bool& open, bool closes = true) {
        return {name, [&open] { return open; },
                [this, name, &open, closes] {
                    asked.push_back(name);
                    if (closes) {
                        open = false;
                    }
                    return closes;
                }};
    }

    engine::HeadlessDriver driver;
    engine::Scene* scene = nullptr;
    std::vector<std::string> asked;
};

TEST_F(EditorSessionTest, EscapeAnswersAnAlertBeforeAnyPopupOfTheRooms) {
    EditorSession session(scene, nullptr);
    bool panelOpen = true;
    session.addPopup(popup("panel", panelOpen));
    AlertView* box = AlertView::create("?");
    ASSERT_NE(box, nullptr);
    bool dismissed = false;
    box->onOutside = [&dismissed](AlertView* shown) {
        dismissed = true;
        shown->close();
    };
    scene->addChild(box);

    EXPECT_TRUE(session.closeOnePopup());
    EXPECT_TRUE(dismissed);
    EXPECT_TRUE(asked.empty()) << "the panel beneath the box was closed first";
    EXPECT_TRUE(session.isModalOpen()) << "the panel is still open";
}

TEST_F(EditorSessionTest, EscapeClosesTheFirstOpenPopupThatClosesInTheOrderTheyWereAdded) {
    EditorSession session(scene, nullptr);
    bool listOpen = false;
    bool fadingOpen = true;
    bool loadingOpen = true;
    bool chooserOpen = true;
    session.addPopup(popup("port list", listOpen));
    session.addPopup(popup("fading chooser", fadingOpen, false));
    session.addPopup({"loading overlay", [&loadingOpen] { return loadingOpen; }, nullptr});
    session.addPopup(popup("chooser", chooserOpen));

    EXPECT_TRUE(session.closeOnePopup());
    EXPECT_EQ(asked, (std::vector<std::string>{"fading chooser", "chooser"}));
    EXPECT_FALSE(chooserOpen);
    // What no key closes still holds the screen.
    EXPECT_TRUE(session.isModalOpen());
    fadingOpen = false;
    asked.clear();
    EXPECT_FALSE(session.closeOnePopup());
    EXPECT_TRUE(asked.empty());
    loadingOpen = false;
    EXPECT_FALSE(session.isModalOpen());
}

// Return answers the popup on top only. Catches Return reaching a popup
// beneath the alert box, the alert's Cancel taken for its OK, and a popup
// without an OK confirmed by the next one down.
TEST_F(EditorSessionTest, ReturnGivesTheOkOfThePopupOnTopAndOfNoOtherOne) {
    EditorSession session(scene, nullptr);
    std::vector<std::string> answered;
    bool panelOpen = true;
    bool listOpen = true;
    session.addPopup({"panel", [&panelOpen] { return panelOpen; }, nullptr, nullptr});
    session.addPopup({"port list", [&listOpen] { return listOpen; }, nullptr,
                      [&answered] {
                          answered.emplace_back("list");
                          return true;
                      }});
    AlertView* box = AlertView::create("?");
    ASSERT_NE(box, nullptr);
    box->onOk = [&answered](AlertView* shown) {
        answered.emplace_back("ok");
        shown->close();
    };
    box->onCancel = [&answered](AlertView*) { answered.emplace_back("cancel"); };
    scene->addChild(box);

    EXPECT_TRUE(session.confirmPopup());
    EXPECT_EQ(answered, (std::vector<std::string>{"ok"}));
    // The panel on top has no OK: Return does nothing, the list beneath keeps its own.
    EXPECT_FALSE(session.confirmPopup());
    panelOpen = false;
    EXPECT_TRUE(session.confirmPopup());
    EXPECT_EQ(answered, (std::vector<std::string>{"ok", "list"}));
}

TEST_F(EditorSessionTest, ACommandRunsWhatItsRoomBoundLastAndNothingElse) {
    EditorSession session(scene, nullptr);
    std::vector<std::string> ran;
    EXPECT_FALSE(session.run(EditorSession::Command::play));
    session.bind(EditorSession::Command::play, [&ran] { ran.push_back("old play"); });
    session.bind(EditorSession::Command::play, [&ran] { ran.push_back("play"); });
    session.bind(EditorSession::Command::undo, [&ran] { ran.push_back("undo"); });

    EXPECT_TRUE(session.run(EditorSession::Command::play));
    EXPECT_TRUE(session.run(EditorSession::Command::undo));
    EXPECT_FALSE(session.run(EditorSession::Command::redo));
    EXPECT_EQ(ran, (std::vector<std::string>{"play", "undo"}));
}

TEST_F(EditorSessionTest, AnEditReachesTheOneWhoSavesOnce) {
    EditorSession session(scene, nullptr);
    session.edited(); // nobody listens yet: nothing happens
    int saves = 0;
    session.onEdited = [&saves] { ++saves; };
    session.edited();
    EXPECT_EQ(saves, 1);
}

} // namespace
