// The bar's print button: the field's program written as paper cards to the
// documents folder that the desktop names (else the home folder), opened in
// the viewer, and what the child is told; the file's name from the title.
#include "editor/print/PrintButton.h"

#include "editor/EditorRooms.h"
#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/controls/BottomBar.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/base/Log.h"
#include "engine/platform/Application.h"
#include "tests/editor/ProgramEditorFixture.h"
#include "tests/support/CommandOutput.h"
#include "widgets/AlertView.h"
#include "widgets/HitTest.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using engine::Value;
using engine::ValueMap;
using engine::Vec2;

struct App : engine::Application {
    bool applicationDidFinishLaunching() override { return true; }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}
};

std::string output(const std::string& command) {
    return pavlune::test::runCommand(command).out;
}

class PrintButtonTest : public ProgramEditorTest {
protected:
    void SetUp() override {
        ProgramEditorTest::SetUp();
        home_ = root() + "home-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(home_ + "/config");
        savedHome_ = std::getenv("HOME") ? std::getenv("HOME") : "";
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_ + "/config").c_str(), 1);
        engine::Application::setURLOpener([this](const std::string& url) {
            opened_.push_back(url);
            return true;
        });
    }
    void TearDown() override {
        engine::Application::setURLOpener(nullptr);
        setenv("HOME", savedHome_.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        ProgramEditorTest::TearDown();
    }

    // Cards on rows 1, 2, ... (set, index, value), titled `title`.
    void openCards(const std::vector<std::tuple<int, int, std::string>>& cards, const std::string& title) {
        engine::ValueVector elements;
        int row = 0;
        for (const auto& [set, index, value] : cards) {
            elements.push_back(Value(ValueMap{{"tab", Value(set)},
                                              {"index", Value(index)},
                                              {"value", Value(value)},
                                              {"x", Value(652)},
                                              {"y", Value(5514 - 130 * row++)},
                                              {"zorder", Value(1)}}));
        }
        openProgram(elements);
        record->title = title;
    }

    // Opens the bar, taps the button and lets its worker report.
    void pressPrint() {
        EditorRooms& rooms = editor->getSession().rooms();
        BottomBar* bar = rooms.bottomBar;
        tap(bar->convertToWorldSpace(bar->getSettingsButton()->getPosition()));
        driver->advance(0.5f);
        ASSERT_NE(rooms.printButton->getButton(), nullptr);
        const engine::Rect box = HitTest::worldBoundingBox(rooms.printButton->getButton());
        tap(Vec2(box.getMidX(), box.getMidY()));
        rooms.printButton->waitForWorker();
        driver->advance(0.5f);
    }

    std::string shownNotice() const {
        const AlertView* box = AlertView::shownIn(editor);
        if (!box || !box->isVisible()) {
            return {};
        }
        for (const engine::Node* child : box->getChildren()) {
            if (const auto* label = dynamic_cast<const engine::Label*>(child)) {
                return label->getString();
            }
        }
        return {};
    }

    App app_;
    std::string home_;
    std::string savedHome_;
    std::vector<std::string> opened_;
};

TEST_F(PrintButtonTest, WritesTheFieldsCardsToTheDocumentsFolderAndOpensThem) {
    std::ofstream(home_ + "/config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                       "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n"
                                                       "XDG_DOCUMENTS_DIR=\"$HOME/書類\"\n";
    fs::create_directories(home_ + "/書類");
    // LED on, wait 1 s, LED off.
    openCards({{0, 0, ""}, {0, 2, ""}, {0, 1, ""}}, "ぼくの/プログラム");
    pressPrint();

    const std::string pdf = home_ + "/書類/ぼくの_プログラム.pdf";
    ASSERT_TRUE(fs::exists(pdf));
    // Three rows on one page, three cards to cut out on another.
    EXPECT_NE(output("pdfinfo '" + pdf + "'").find("Pages:           2\n"), std::string::npos);
    // The title heads the pages as it stands.
    EXPECT_NE(output("pdftotext '" + pdf + "' -").find("ぼくの/プログラム"), std::string::npos);
    // The path escaped byte by byte (UTF-8 of 書類, ぼくの, プログラム).
    EXPECT_EQ(opened_, std::vector<std::string>{"file://" + home_ +
                                                "/%E6%9B%B8%E9%A1%9E/%E3%81%BC%E3%81%8F%E3%81%AE_"
                                                "%E3%83%97%E3%83%AD%E3%82%B0%E3%83%A9%E3%83%A0.pdf"});
    EXPECT_EQ(shownNotice(), std::string(EditorTexts::kNoticeCaption) + "\n" + EditorTexts::kPrinted + pdf +
                                 EditorTexts::kPrintedEnd);
    EXPECT_FALSE(editor->getSession().rooms().printButton->isPrinting());
}

TEST_F(PrintButtonTest, AnEmptyFieldAsksForCardsAndWritesNothing) {
    openCards({}, "から");
    pressPrint();
    EXPECT_EQ(shownNotice(), std::string(EditorTexts::kNoticeCaption) + "\n" + EditorTexts::kNothingToPrint);
    EXPECT_FALSE(fs::exists(home_ + "/から.pdf"));
    EXPECT_TRUE(opened_.empty());
}

TEST_F(PrintButtonTest, AFolderThatCannotTakeTheFileIsAFailureAndOpensNothing) {
    // No user-dirs file and no ~/Documents: the home folder, here missing.
    fs::remove_all(home_);
    openCards({{0, 0, ""}}, "どこにも");
    const engine::Log::Capture log;
    pressPrint();
    EXPECT_EQ(shownNotice(), std::string(EditorTexts::kFailureCaption) + "\n" + EditorTexts::kNotPrinted);
    EXPECT_TRUE(opened_.empty());
    // The log names the file and the system's reason.
    EXPECT_EQ(log.linesWith({"editor", home_ + "/どこにも.pdf", "No such file or directory"}).size(), 1u);
}

TEST(PrintButtonFileName, TheTitleNamesTheFileWithoutWhatAPathCannotHold) {
    const auto repeated = [](const std::string& text, int times) {
        std::string all;
        for (int i = 0; i < times; ++i) {
            all += text;
        }
        return all;
    };
    const struct {
        std::string title;
        std::string file;
    } cases[] = {
        {"ロボット", "ロボット.pdf"},
        {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j.pdf"},
        {"two\nlines", "two_lines.pdf"},
        {"", "PavluneCards.pdf"},
        {"..", "PavluneCards.pdf"},
        // 120 bytes cut to 99, before a character rather than inside one.
        {repeated("あ", 40), repeated("あ", 33) + ".pdf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintButton::fileNameFor(c.title), c.file) << c.title;
    }
}

} // namespace
