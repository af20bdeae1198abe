#include "editor/focus/FocusFrame.h"

#include "engine/2d/LayerColor.h"
#include "engine/2d/Node.h"
#include "widgets/Design.h"

FocusFrame::FocusFrame() : node_(engine::Node::create()) {}

FocusFrame::~FocusFrame() {
    hide();
}

void FocusFrame::show(engine::Node* parent, const engine::Rect& area, float screenScale) {
    if (!node_ || !parent || screenScale <= 0) {
        return;
    }
    if (node_->getParent() != parent) {
        hide();
        parent->addChild(node_.get(), kZOrder);
    }
    // Screen units to the parent's: the same band on the screen at any zoom.
    const float perScreenUnit = 1.0f / screenScale;
    node_->removeAllChildren();
    float inset = -(kGap + kInnerWidth + kOuterWidth) * perScreenUnit;
    const struct {
        float width;
        engine::Color4B colour;
    } bands[] = {{kOuterWidth, design::kFocusBlue}, {kInnerWidth, kInnerColour}};
    for (const auto& band : bands) {
        const float width = band.width * perScreenUnit;
        const float left = area.getMinX() + inset;
        const float bottom = area.getMinY() + inset;
        const float across = area.size.width - 2 * inset;
        const float up = area.size.height - 2 * inset;
        const struct {
            float x, y, w, h;
        } sides[] = {{left, bottom, across, width},
                     {left, bottom + up - width, across, width},
                     {left, bottom, width, up},
                     {left + across - width, bottom, width, up}};
        for (const auto& side : sides) {
            if (auto* colour = engine::LayerColor::create(band.colour, side.w, side.h)) {
                colour->setPosition(side.x, side.y);
                node_->addChild(colour);
            }
        }
        inset += width;
    }
    node_->setVisible(true);
}

void FocusFrame::hide() {
    if (node_ && node_->getParent()) {
        node_->removeFromParent();
    }
}

bool FocusFrame::isShown() const {
    return node_ && node_->getParent() != nullptr;
}
