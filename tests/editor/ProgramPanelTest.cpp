// The program panel: what it shows is what pavlune-export --lines prints for
// the saved program file (the real binary), the copy button, closing, and
// the wheel.

#include "editor/panel/ProgramPanel.h"

#include "catalogue/DeviceManager.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/panel/ListingView.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/platform/Clipboard.h"
#include "engine/platform/GLView.h"
#include "tests/saves/SaveScreenFixture.h"
#include "tests/support/TestPaths.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>

using engine::Vec2;

namespace {

const std::string kTool = pavlune::test::binaryDir().string() + "/bin/pavlune-export";

struct Card {
    int set;
    int index;
    std::string value;
};

class ProgramPanelTest : public SaveScreenTest {
protected:
    void SetUp() override {
        SaveScreenTest::SetUp();
        dialect_ = pavlune::DeviceManager::getInstance()->getCurrentDialect();
    }
    void TearDown() override {
        pavlune::DeviceManager::getInstance()->setCurrentDialect(dialect_);
        SaveScreenTest::TearDown();
    }

    // An editor on a saved program with one card per row from the top (an
    // empty row where the list has none).
    // Each card on its row's snap point, as the editor stores it (truncated).
    FieldScene* openProgram(const std::vector<std::optional<Card>>& rows) {
        SaveData* record = addPrograms(1).front();
        programFile_ = root() + record->path;
        std::ofstream file(programFile_);
        file << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<array>\n";
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (const auto& card = rows[row]) {
                file << "<dict><key>index</key><integer>" << card->index
                     << "</integer><key>tab</key><integer>" << card->set
                     << "</integer><key>value</key><string>" << card->value
                     << "</string><key>x</key><integer>652</integer><key>y</key><integer>" << 5514 - 130 * row
                     << "</integer><key>zorder</key><integer>1</integer></dict>\n";
            }
        }
        file << "</array>\n</plist>\n";
        file.close();
        FieldScene* editor = made(FieldScene::create(record));
        engine::Scene* scene = made(engine::Scene::create());
        scene->addChild(editor);
        present(scene);
        return editor;
    }

    // What the export tool prints for the saved program file.
    std::string exportLines(const char* dialect) const {
        const std::string command =
            kTool + " --dialect " + dialect + " --lines --program '" + programFile_ + "'";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        EXPECT_NE(pipe, nullptr) << command;
        std::string out;
        char buffer[4096];
        while (pipe && !std::feof(pipe)) {
            out.append(buffer, std::fread(buffer, 1, sizeof buffer, pipe));
        }
        EXPECT_EQ(pipe ? ::pclose(pipe) : -1, 0) << command;
        return out;
    }

    static Vec2 centreOf(const engine::Node* node) {
        const engine::Rect box = HitTest::worldBoundingBox(node);
        return Vec2(box.getMidX(), box.getMidY());
    }

    std::string programFile_;
    pavlune::Dialect dialect_ = pavlune::jam;
};

// Catches a panel that makes its own text instead of the send's (a dialect
// other than the current one, the prologue shown, lines joined or split
// differently from the tool), and a copy button or Ctrl+C that copies
// anything else.
TEST_F(ProgramPanelTest, ShowsAndCopiesWhatTheExportToolPrintsForTheSavedProgramInEachDialect) {
    // A loop with a number card inside, an empty row, a card after it.
    FieldScene* editor = openProgram(
        {Card{2, 4, ""}, Card{0, 0, ""}, Card{2, 2, "2"}, Card{2, 5, ""}, std::nullopt, Card{0, 1, ""}});
    ProgramPanel* panel = editor->getSession().rooms().programPanel.get();
    ASSERT_NE(panel, nullptr);
    for (const auto& [dialect, name] : {std::pair{pavlune::jam, "jam"}, std::pair{pavlune::latte, "latte"},
                                        std::pair{pavlune::que, "que"}}) {
        SCOPED_TRACE(name);
        pavlune::DeviceManager::getInstance()->setCurrentDialect(dialect);
        tap(centreOf(panel->getButton()));
        ASSERT_TRUE(panel->isOpen());
        EXPECT_EQ(panel->getText(), exportLines(name));

        ASSERT_TRUE(engine::Clipboard::setText("not yet"));
        if (dialect == pavlune::que) {
            SDL_Event key{};
            key.type = SDL_KEYDOWN;
            key.key.keysym.sym = SDLK_c;
            key.key.keysym.mod = KMOD_LCTRL;
            engine::Director::getInstance()->getOpenGLView()->handleEvent(key);
        } else {
            tap(centreOf(panel->getCopyButton()));
        }
        EXPECT_EQ(engine::Clipboard::getText(), panel->getText());
        panel->close();
    }
}

// Catches a panel that closes on any tap (a drag in the list would close
// it) or never on a tap outside, an Escape that does not close it, and a
// panel that keeps the window's keys once closed.
TEST_F(ProgramPanelTest, ATapOutsideTheSheetOrEscapeClosesItAndATapOnItDoesNot) {
    FieldScene* editor = openProgram({Card{0, 0, ""}});
    ProgramPanel* panel = editor->getSession().rooms().programPanel.get();
    engine::GLView* view = engine::Director::getInstance()->getOpenGLView();
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Escape" : "tap");
        tap(centreOf(panel->getButton()));
        ASSERT_TRUE(panel->isOpen());
        const engine::Rect sheet = HitTest::worldBoundingBox(panel->getSheet());
        tap(Vec2(sheet.getMinX() + 20, sheet.getMaxY() - 10)); // the title
        tap(Vec2(sheet.getMidX(), sheet.getMidY()));           // the lines
        EXPECT_TRUE(panel->isOpen());
        if (byKey) {
            SDL_Event key{};
            key.type = SDL_KEYDOWN;
            key.key.keysym.sym = SDLK_ESCAPE;
            view->handleEvent(key);
        } else {
            tap(Vec2(sheet.getMinX() - 60, sheet.getMidY()));
        }
        EXPECT_FALSE(panel->isOpen());
        EXPECT_EQ(panel->getLayer(), nullptr);
        EXPECT_FALSE(view->hasTextInputHandler());
    }
}

// Catches a wheel that scrolls the field under the panel as well (the
// scene's own wheel listener), or turns the list the wrong way.
TEST_F(ProgramPanelTest, TheWheelScrollsTheLinesAndNotTheFieldBeneath) {
    std::vector<std::optional<Card>> rows(40, Card{0, 0, ""});
    FieldScene* editor = openProgram(rows);
    ProgramPanel* panel = editor->getSession().rooms().programPanel.get();
    tap(centreOf(panel->getButton()));
    ASSERT_TRUE(panel->isOpen());
    FieldScrollView* lines = panel->getListing()->getScrollView();
    const float top = lines->getContentOffset().y;
    const float field = editor->getSession().rooms().fieldView->getContentOffset().y;
    driver->mouseScroll(centreOf(panel->getSheet()), -2); // towards the user: later lines
    driver->step();
    EXPECT_FLOAT_EQ(lines->getContentOffset().y,
                    top + 2 * ProgramPanel::kWheelLines * ListingView::kLineHeight);
    EXPECT_FLOAT_EQ(editor->getSession().rooms().fieldView->getContentOffset().y, field);
}

} // namespace
