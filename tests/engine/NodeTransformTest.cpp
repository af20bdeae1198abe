#include "engine/2d/Director.h"
#include "engine/2d/Layer.h"
#include "engine/2d/Node.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace engine;

constexpr float kEps = 1e-3f;

void expectNear(const Vec2& actual, const Vec2& expected) {
    EXPECT_NEAR(actual.x, expected.x, kEps);
    EXPECT_NEAR(actual.y, expected.y, kEps);
}

Node* makeNode(const Size& size, const Vec2& anchor, const Vec2& position) {
    Node* node = Node::create();
    node->setContentSize(size);
    node->setAnchorPoint(anchor);
    node->setPosition(position);
    return node;
}

class NodeTransformTest : public ::testing::Test {
protected:
    void TearDown() override { Director::destroyInstance(); }
};

TEST_F(NodeTransformTest, AnchorPointPlacesContentAroundPosition) {
    Node* node = makeNode(Size(100, 50), Vec2::ANCHOR_MIDDLE, Vec2(200, 300));
    expectNear(node->convertToWorldSpace(Vec2(0, 0)), Vec2(150, 275));
    expectNear(node->convertToNodeSpace(Vec2(200, 300)), Vec2(50, 25));
    expectNear(node->convertToNodeSpaceAR(Vec2(200, 300)), Vec2(0, 0));
    expectNear(node->convertToWorldSpaceAR(Vec2(10, -5)), Vec2(210, 295));
    const Rect box = node->getBoundingBox();
    EXPECT_TRUE(box.equals(Rect(150, 275, 100, 50)));

    // Moving the anchor keeps the position and moves the content.
    node->setAnchorPoint(Vec2::ANCHOR_TOP_RIGHT);
    expectNear(node->convertToWorldSpace(Vec2(0, 0)), Vec2(100, 250));
}

TEST_F(NodeTransformTest, ScaleAndClockwiseRotationComposeThroughParents) {
    Node* parent = makeNode(Size(10, 10), Vec2::ANCHOR_BOTTOM_LEFT, Vec2(100, 100));
    parent->setScale(2.0f);
    Node* child = makeNode(Size(20, 10), Vec2::ANCHOR_BOTTOM_LEFT, Vec2(10, 0));
    child->setRotation(90); // clockwise on screen: +x turns to -y
    parent->addChild(child);

    const Vec2 world = child->convertToWorldSpace(Vec2(1, 0));
    expectNear(world, Vec2(120, 98));
    expectNear(child->convertToNodeSpace(world), Vec2(1, 0));
    expectNear(child->convertToNodeSpace(Vec2(140, 60)), Vec2(20, 10));

    // Non-uniform scale on the child stretches along its own axes.
    child->setScale(3.0f, 0.5f);
    expectNear(child->convertToWorldSpace(Vec2(1, 0)), Vec2(120, 94));
    EXPECT_FLOAT_EQ(child->getScale(), 3.0f);
    EXPECT_FLOAT_EQ(child->getScaleY(), 0.5f);
}

TEST_F(NodeTransformTest, RotationTurnsAboutTheAnchorPoint) {
    Node* node = makeNode(Size(100, 100), Vec2::ANCHOR_MIDDLE, Vec2(500, 500));
    node->setRotation(180);
    expectNear(node->convertToWorldSpace(Vec2(0, 0)), Vec2(550, 550));
    expectNear(node->convertToWorldSpaceAR(Vec2(0, 0)), Vec2(500, 500));

    node->setRotation(45);
    const Rect box = node->getBoundingBox();
    EXPECT_NEAR(box.size.width, 100 * std::sqrt(2.0f), 1e-2f);
    EXPECT_NEAR(box.getMidX(), 500, 1e-3f);
    EXPECT_NEAR(box.getMidY(), 500, 1e-3f);
}

TEST_F(NodeTransformTest, IgnoringTheAnchorPlacesTheBottomLeftCorner) {
    Layer* layer = Layer::create(); // layers ignore the anchor for their position
    ASSERT_NE(layer, nullptr);
    layer->setContentSize(Size(100, 100));
    layer->setPosition(10, 10);
    EXPECT_TRUE(layer->isIgnoreAnchorPointForPosition());
    expectNear(layer->convertToWorldSpace(Vec2(0, 0)), Vec2(10, 10));
    // ...but still turns about the anchor.
    layer->setRotation(180);
    expectNear(layer->convertToWorldSpace(Vec2(0, 0)), Vec2(110, 110));

    layer->setRotation(0);
    layer->setIgnoreAnchorPointForPosition(false);
    expectNear(layer->convertToWorldSpace(Vec2(0, 0)), Vec2(-40, -40));
}

TEST_F(NodeTransformTest, TurnAboutTheVerticalAxisFoldsTheWidth) {
    Node* card = makeNode(Size(100, 140), Vec2::ANCHOR_MIDDLE, Vec2(512, 384));
    card->setRotation3D(Vec3(0, 90, 0));
    // Edge-on: both vertical edges land on the centre line, height unchanged.
    EXPECT_NEAR(card->convertToWorldSpace(Vec2(0, 0)).x, 512, kEps);
    EXPECT_NEAR(card->convertToWorldSpace(Vec2(100, 0)).x, 512, kEps);
    EXPECT_NEAR(card->convertToWorldSpace(Vec2(0, 140)).y - card->convertToWorldSpace(Vec2(0, 0)).y, 140,
                kEps);

    card->setRotation3D(Vec3(0, 60, 0));
    EXPECT_NEAR(card->getBoundingBox().size.width, 50, 1e-2f);
    EXPECT_EQ(card->getRotation3D(), Vec3(0, 60, 0));

    // The z angle of a 3D rotation is the 2D rotation.
    card->setRotation3D(Vec3(0, 0, 30));
    EXPECT_FLOAT_EQ(card->getRotation(), 30);
    card->setRotation(90);
    EXPECT_EQ(card->getRotation3D(), Vec3(0, 0, 90));
}

TEST_F(NodeTransformTest, ZeroScaleConvertsWithoutBlowingUp) {
    Node* node = makeNode(Size(100, 100), Vec2::ANCHOR_MIDDLE, Vec2(50, 50));
    node->setScale(0);
    const Vec2 p = node->convertToNodeSpace(Vec2(10, 10));
    EXPECT_TRUE(std::isfinite(p.x));
    EXPECT_TRUE(std::isfinite(p.y));
}

TEST_F(NodeTransformTest, WorldTransformFollowsParentChanges) {
    Node* parent = makeNode(Size(10, 10), Vec2::ANCHOR_BOTTOM_LEFT, Vec2(0, 0));
    Node* child = makeNode(Size(10, 10), Vec2::ANCHOR_BOTTOM_LEFT, Vec2(5, 5));
    parent->addChild(child);
    expectNear(child->convertToWorldSpace(Vec2::ZERO), Vec2(5, 5));
    parent->setPosition(100, 0);
    expectNear(child->convertToWorldSpace(Vec2::ZERO), Vec2(105, 5));
    child->removeFromParent();
    expectNear(child->convertToWorldSpace(Vec2::ZERO), Vec2(5, 5));
}

} // namespace
