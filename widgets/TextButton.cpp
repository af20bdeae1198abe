#include "widgets/TextButton.h"

#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "widgets/Design.h"
#include "widgets/PressedButton.h"

engine::Node* TextButton::create(const std::string& text, const engine::Size& size,
                                 std::function<void()> action) {
    auto* frame = engine::LayerColor::create(design::kThemeBlue, size.width, size.height);
    auto* plate =
        engine::LayerColor::create(engine::Color4B::WHITE, size.width - 2 * kFrame, size.height - 2 * kFrame);
    auto* label = engine::Label::createWithSystemFont(text, "Arial", kFontSize);
    if (!frame || !plate || !label) {
        return nullptr;
    }
    // The plate and the words fade with the button as it is pressed.
    frame->setCascadeOpacityEnabled(true);
    plate->setPosition(kFrame, kFrame);
    frame->addChild(plate);
    label->setTextColor(engine::Color4B(design::kTextGrey, 255));
    label->setPosition(size.width / 2, size.height / 2);
    frame->addChild(label);
    PressedButton::attach(frame, std::move(action));
    return frame;
}
