// The process-wide selections; each test starts from init().
#include "catalogue/DeviceManager.h"

#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace pavlune {
namespace {

class DeviceManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(manager->init()); }
    void TearDown() override { manager->init(); }

    DeviceManager* manager = DeviceManager::getInstance();
};

// Catches an init() that keeps the previous selections.
TEST_F(DeviceManagerTest, InitStartsWithJamAndBasic) {
    manager->setCurrentDialect(que);
    manager->setCurrentCardSet(full);
    ASSERT_TRUE(manager->init());
    EXPECT_EQ(manager->getCurrentDialect(), jam);
    EXPECT_EQ(manager->getCurrentCardSet(), basic);
}

TEST_F(DeviceManagerTest, LookupsFollowTheCurrentSelections) {
    manager->setCurrentDialect(latte);
    manager->setCurrentCardSet(full);
    EXPECT_EQ(manager->getView().getCardCode(0, basic).code, "led(1);");
    EXPECT_EQ(manager->getView().getCardFaceImage(3), "res/cards/full/r_beep.png");
    EXPECT_EQ(manager->getView().getCardSetTabImage(full), "res/cards/r_full_on.png");
    EXPECT_EQ(manager->getView().getCardSetTabImage(basic), "res/cards/r_basic_off.png");
    EXPECT_EQ(manager->getView().getCharPacing(), 5);

    manager->setCurrentDialect(que);
    EXPECT_EQ(manager->getView().getCardCode(0, basic).code, "LEDを つける");

    const CatalogueView view = manager->getView();
    manager->setCurrentDialect(jam);
    // A view keeps the selection it was taken with.
    EXPECT_EQ(view.getDialect(), que);
    EXPECT_EQ(view.getCardCode(0, basic).code, "LEDを つける");
    EXPECT_EQ(manager->getView().getCardCode(0, basic).code, "LED 1");
}

TEST_F(DeviceManagerTest, BadSelectionIsARangeErrorAndChangesNothing) {
    manager->setCurrentDialect(latte);
    EXPECT_EQ(manager->getCurrentDialect(), latte);
    EXPECT_EQ(manager->getCurrentCardSet(), basic);
    EXPECT_THROW(manager->getView().getCardCode(0, 3), std::out_of_range);
    EXPECT_EQ(manager->getView().getCardCode(6, basic), CardCode{});
}

} // namespace
} // namespace pavlune
