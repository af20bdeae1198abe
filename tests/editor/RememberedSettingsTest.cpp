// What the editor keeps from one run to the next: the dialect, the card set
// and the chosen port, read back as a new process reads them.

#include "device/PavluneCardSerialManager.h"
#include "editor/EditorChoices.h"
#include "editor/controls/BottomBar.h"
#include "editor/link/BoardLink.h"
#include "editor/link/LinkSetup.h"
#include "editor/link/PortListPopup.h"
#include "editor/palette/CardPalette.h"
#include "editor/palette/DialectChooser.h"
#include "editor/palette/DialectToggle.h"
#include "program/VirtualTransferClock.h"
#include "store/AppSettings.h"
#include "tests/device/FakeSerialBackend.h"
#include "tests/editor/PaletteFixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using engine::Value;
using engine::Vec2;

namespace {

class RememberedSettingsTest : public PaletteFixture {
protected:
    void SetUp() override {
        forgetSettings();
        PaletteFixture::SetUp();
    }
    void TearDown() override {
        LinkSetup::install(nullptr);
        PaletteFixture::TearDown();
        forgetSettings();
    }
    static void forgetSettings() {
        std::error_code ignored;
        fs::remove(settingsFile(), ignored);
        AppSettings::getInstance()->reload();
    }
    static std::string settingsFile() { return root() + "settings.plist"; }
    static engine::ValueMap settingsOnDisk() {
        return engine::FileUtils::getInstance()->getValueMapFromFile(settingsFile());
    }

    // Every editor from now on talks to a fresh serial manager (as in a new
    // process) that finds `ports`.
    void portsPresent(std::vector<pavlune::SerialPortInfo> ports) {
        auto script = std::make_shared<pavlune::FakeSerialBackend::Script>();
        script->present = std::move(ports);
        auto* manager =
            new pavlune::PavluneCardSerialManager(std::make_unique<pavlune::FakeSerialBackend>(script));
        serial = std::shared_ptr<pavlune::PavluneCardSerialManager>(manager, [](auto* m) { m->release(); });
        const LinkSetup setup{serial, [] { return std::make_unique<pavlune::VirtualTransferClock>(); }};
        LinkSetup::install(&setup);
    }

    // A new process: the selections start at jam and basic, the settings are
    // read from the file, and the first editor opens.
    FieldScene* startAgain() {
        resetSelections();
        EditorChoices::restore();
        editor = made(FieldScene::create(nullptr));
        engine::Scene* scene = made(engine::Scene::create());
        scene->addChild(editor);
        present(scene);
        editor->getSession().rooms().link->waitForWorkers();
        driver->step();
        return editor;
    }

    void tapOn(const engine::Node* node, float hold = 0.1f) { tap(worldPosition(node), hold); }

    // What the user sees of the selections in the editor.
    void expectEditorIn(const char* toggleImage, int cardSet, const char* tabImage, int paletteCards) {
        EXPECT_TRUE(shows(editor->getSession().rooms().dialectToggle, toggleImage));
        EXPECT_TRUE(shows(editor->getSession().rooms().palette->tabSprite(cardSet), tabImage));
        EXPECT_EQ(editor->getSession().rooms().palette->paletteCardCount(), paletteCards);
    }

    std::shared_ptr<pavlune::PavluneCardSerialManager> serial;
};

// Catches a fresh folder that starts anywhere but jam and basic.
TEST_F(RememberedSettingsTest, AFreshDataFolderStartsInJamWithTheBasicSet) {
    ASSERT_FALSE(fs::exists(settingsFile()));
    startAgain();
    expectEditorIn("res/r_to_jam_on.png", 0, "res/cards/r_basic_on.png", 6);
}

// Catches a choice that is not written, a start-up that does not read the
// file, and one that reads it but does not select what it says.
TEST_F(RememberedSettingsTest, AfterChoosingLatteAndTheFullSetANewProcessStartsInThem) {
    tapOn(editor->getSession().rooms().dialectToggle);
    DialectChooser* chooser = editor->getSession().rooms().dialectToggle->getChooser();
    ASSERT_NE(chooser, nullptr);
    driver->advance(0.1f);
    tapOn(chooser->option(1), 0.02f);
    driver->advance(0.3f);
    tapOn(editor->getSession().rooms().palette->tabSprite(2));
    driver->advance(0.1f);
    expectEditorIn("res/r_to_latte_on.png", 2, "res/cards/r_full_on.png", 22);

    const engine::ValueMap written = settingsOnDisk();
    EXPECT_EQ(engine::valueForKey(written, "dialect"), Value(1));
    EXPECT_EQ(engine::valueForKey(written, "cardset"), Value(2));

    // Nothing of this process may carry over: the memory says jam and basic,
    // the file what the user chose.
    const std::string bytes = engine::FileUtils::getInstance()->getStringFromFile(settingsFile());
    AppSettings::getInstance()->setDialect(0);
    AppSettings::getInstance()->setCardSet(0);
    ASSERT_TRUE(engine::FileUtils::getInstance()->writeStringToFile(bytes, settingsFile()));
    startAgain();
    EXPECT_EQ(pavlune::DeviceManager::getInstance()->getCurrentDialect(), pavlune::latte);
    EXPECT_EQ(pavlune::DeviceManager::getInstance()->getCurrentCardSet(), pavlune::full);
    expectEditorIn("res/r_to_latte_on.png", 2, "res/cards/r_full_on.png", 22);
}

// Catches a damaged file that is fatal, believed, or left in place.
TEST_F(RememberedSettingsTest, ADamagedSettingsFileStartsInJamAndIsReplaced) {
    std::ofstream(settingsFile()) << "<?xml version=\"1.0\"?><plist><dict><key>dialect</key><integer>1";
    startAgain();
    expectEditorIn("res/r_to_jam_on.png", 0, "res/cards/r_basic_on.png", 6);
    const engine::ValueMap replaced = settingsOnDisk();
    EXPECT_EQ(engine::valueForKey(replaced, "dialect"), Value(0));
    EXPECT_EQ(engine::valueForKey(replaced, "cardset"), Value(0));
}

// Catches a chosen port that is not remembered, a remembered port not handed
// to the link, and one that is chosen although it is not there.
TEST_F(RememberedSettingsTest, TheChosenPortIsTakenAgainWhenItIsPresent) {
    const pavlune::SerialPortInfo a{"/dev/ttyUSB0", "A", false};
    const pavlune::SerialPortInfo b{"/dev/ttyUSB1", "B", false};
    portsPresent({a, b});
    startAgain();
    ASSERT_EQ(serial->getSelectedPort()->name, a.name);
    editor->getSession().rooms().bottomBar->open();
    driver->advance(0.3f);
    editor->getSession().rooms().link->showPortList();
    PortListPopup* list = editor->getSession().rooms().link->getPortList();
    ASSERT_NE(list, nullptr);
    engine::Node* second = list->getLayer()->getChildByTag(1);
    ASSERT_NE(second, nullptr);
    tap(second->getParent()->convertToWorldSpace(second->getPosition()));
    editor->getSession().rooms().link->waitForWorkers();
    driver->advance(0.3f);
    ASSERT_EQ(serial->getSelectedPort()->name, b.name);
    EXPECT_EQ(engine::valueForKey(settingsOnDisk(), "port"), Value(b.name));

    portsPresent({a, b});
    startAgain();
    EXPECT_EQ(serial->getSelectedPort()->name, b.name);

    portsPresent({a, {"/dev/ttyUSB2", "C", false}});
    startAgain();
    EXPECT_EQ(serial->getSelectedIndex(), 0);
}

} // namespace
