// Every picture the catalogue and the screens name is present, loads and has
// the size that res/README.md promises to the layout code.
#include "catalogue/CardSet.h"
#include "catalogue/DeviceManager.h"
#include "catalogue/Dialect.h"
#include "tests/res/ResourceFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace pavlune::restest {
namespace {

constexpr int kScale = 2; // pixels per design unit

const std::map<std::string, DesignSize>& sizeTable() {
    static const auto table = readSizeTable(sourceRoot() / "res" / "README.md");
    return table;
}

// Checks one named picture: listed in the table, present, RGBA, twice its design size.
void expectListedPicture(const std::string& path) {
    SCOPED_TRACE(path);
    const auto row = sizeTable().find(path);
    ASSERT_NE(row, sizeTable().end()) << "not in the design-size table";
    PngHeader header;
    ASSERT_TRUE(readPngHeader(sourceRoot() / path, header)) << "missing or not a PNG";
    EXPECT_EQ(header.colourType, 6) << "needs an alpha channel";
    EXPECT_EQ(header.bitDepth, 8);
    EXPECT_EQ(header.width, std::lround(row->second.width * kScale));
    EXPECT_EQ(header.height, std::lround(row->second.height * kScale));
}

// Restores the process-wide selections that these tests change.
class CatalogueSelection : public ::testing::Test {
protected:
    void SetUp() override {
        dialect_ = DeviceManager::getInstance()->getCurrentDialect();
        set_ = DeviceManager::getInstance()->getCurrentCardSet();
    }
    void TearDown() override {
        DeviceManager::getInstance()->setCurrentDialect(dialect_);
        DeviceManager::getInstance()->setCurrentCardSet(set_);
    }

private:
    Dialect dialect_ = jam;
    CardSet set_ = basic;
};

TEST(SizeTable, ListsExactlyThePicturesUnderRes) {
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sourceRoot() / "res"))
        if (entry.path().extension() == ".png")
            files.insert(std::filesystem::relative(entry.path(), sourceRoot()).generic_string());
    std::set<std::string> listed;
    for (const auto& [path, size] : sizeTable())
        listed.insert(path);
    EXPECT_EQ(files, listed);
    // 43 fronts, 86 backs, 52 pictures of the screens, 8 sizes of the icon
    EXPECT_EQ(listed.size(), 189u);
}

TEST(SizeTable, EveryListedPictureHasItsSize) {
    ASSERT_FALSE(sizeTable().empty());
    for (const auto& [path, size] : sizeTable())
        expectListedPicture(path);
}

TEST_F(CatalogueSelection, EveryCardPictureOfEveryDialectIsPresent) {
    DeviceManager* manager = DeviceManager::getInstance();
    int cards = 0;
    for (int dialect = 0; dialect < kDialectCount; ++dialect) {
        manager->setCurrentDialect(*dialectFromIndex(dialect));
        for (int set = 0; set < kCardSetCount; ++set) {
            for (int card = 0; card < manager->getView().getCardCount(set); ++card) {
                expectListedPicture(manager->getView().getCardFaceImage(card, set));
                expectListedPicture(manager->getView().getCardBackImage(card, set));
                if (dialect == 0)
                    ++cards;
            }
        }
    }
    EXPECT_EQ(cards, 43);
}

TEST_F(CatalogueSelection, FrontAndBothBacksOfACardHaveOneSize) {
    DeviceManager* manager = DeviceManager::getInstance();
    for (int set = 0; set < kCardSetCount; ++set) {
        for (int card = 0; card < manager->getView().getCardCount(set); ++card) {
            PngHeader front, back;
            ASSERT_TRUE(readPngHeader(sourceRoot() / manager->getView().getCardFaceImage(card, set), front));
            for (int dialect = 0; dialect < kDialectCount; ++dialect) {
                manager->setCurrentDialect(*dialectFromIndex(dialect));
                const std::string path = manager->getView().getCardBackImage(card, set);
                SCOPED_TRACE(path);
                ASSERT_TRUE(readPngHeader(sourceRoot() / path, back));
                EXPECT_EQ(back.width, front.width);
                EXPECT_EQ(back.height, front.height);
            }
        }
    }
}

TEST_F(CatalogueSelection, TabsDialectButtonsAndNumberMapsArePresent) {
    DeviceManager* manager = DeviceManager::getInstance();
    std::set<std::string> tabs, buttons, maps;
    for (int current = 0; current < kCardSetCount; ++current) {
        manager->setCurrentCardSet(*cardSetFromIndex(current));
        for (int set = 0; set < kCardSetCount; ++set)
            tabs.insert(manager->getView().getCardSetTabImage(set));
    }
    for (int current = 0; current < kDialectCount; ++current) {
        manager->setCurrentDialect(*dialectFromIndex(current));
        for (int dialect = 0; dialect < kDialectCount; ++dialect)
            buttons.insert(manager->getView().getDialectButtonImage(dialect));
        maps.insert(manager->getView().getInputNumberImage());
    }
    EXPECT_EQ(tabs.size(), 6u); // selected and unselected of three sets
    EXPECT_EQ(buttons.size(), 6u);
    EXPECT_EQ(maps.size(), 2u); // que shares latte's
    for (const auto* group : {&tabs, &buttons, &maps})
        for (const std::string& path : *group)
            expectListedPicture(path);
}

TEST(ScreenPictures, EveryPictureTheScreensNameIsPresent) {
    // The pictures that the editor, the program list and the alert place by path.
    const char* screens[] = {
        "res/r_field_num.png",
        "res/r_field_num_w.png",
        "res/menuup.png",
        "res/menudown.png",
        "res/r_card_clean.png",
        "res/r_card_clean_on.png",
        "res/r_card_num.png",
        "res/r_card_flick.png",
        "res/r_empty.png",
        "res/r_field.png",
        "res/r_field_no.png",
        "res/r_btn_add.png",
        "res/r_btn_delete.png",
        "res/r_loading.png",
        "res/r_play.png",
        "res/r_stop.png",
        "res/r_player.png",
        "res/r_port.png",
        "res/r_port_input.png",
        "res/r_reload.png",
        "res/r_record.png",
        "res/r_record_back.png",
        "res/r_setting.png",
        "res/r_setting_back1.png",
        "res/r_recode_clean.png",
        "res/r_recode_clean_cancel.png",
        "res/r_record_beginning.png",
        "res/r_record_selected.png",
        "res/r_save_entry_back.png",
        "res/alert_window_pink.png",
        "res/r_record_empty.png",
        "res/alert_window_ok.png",
        "res/alert_window_cancel.png",
    };
    for (const char* path : screens)
        expectListedPicture(path);
}

} // namespace
} // namespace pavlune::restest
