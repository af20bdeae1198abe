#include "editor/FieldThumbnail.h"

#include "engine/2d/Director.h"
#include "engine/2d/RenderTexture.h"
#include "engine/2d/Renderer.h"
#include "engine/base/Scheduler.h"
#include "field/FieldGeometry.h"
#include "field/FieldModel.h"
#include "store/SaveDataManager.h"

#include <algorithm>

engine::Vec2 FieldThumbnail::pictureOffset(const pavlune::FieldModel& model,
                                           const engine::Size& visibleSize) {
    const float sheetTop = model.contentSize().height;
    const float lowest = visibleSize.height - sheetTop;
    const pavlune::PlacedCard* topmost = nullptr;
    for (const pavlune::PlacedCard& card : model.placedCards()) {
        if (!topmost ||
            card.position.y + card.size.height / 2 > topmost->position.y + topmost->size.height / 2) {
            topmost = &card;
        }
    }
    if (!topmost || topmost->position.y - topmost->size.height / 2 >= sheetTop - visibleSize.height) {
        return {0, lowest};
    }
    // The frame's top: the row holding the card's top edge, with the margin
    // that the first row has above it.
    const float topEdge = topmost->position.y + topmost->size.height / 2;
    float frameTop = topEdge;
    for (const pavlune::RowSlot& slot : model.rowSlots()) {
        if (slot.position.y - slot.size.height / 2 <= topEdge) {
            frameTop = std::max(topEdge, slot.position.y + slot.size.height / 2);
            break;
        }
    }
    frameTop += static_cast<float>(pavlune::FieldGeometry::kTopMargin);
    return {0, std::clamp(visibleSize.height - frameTop, lowest, 0.0f)};
}

engine::RenderTexture* FieldThumbnail::capture(engine::Node* content, const engine::Size& visibleSize,
                                               engine::Vec2 offset) {
    auto* picture = engine::RenderTexture::create(kSide, kSide);
    engine::Renderer* renderer = engine::Director::getInstance()->getRenderer();
    if (!picture || !content || !renderer) {
        return nullptr;
    }
    // The screen, scaled to kSide high, drawn straight into the picture: a
    // screenful of pixels drawn and then shrunk cost four times as much.
    const float scale = static_cast<float>(kSide) / visibleSize.height;
    const engine::Vec2 screenCorner(kSide / 2.0f - (visibleSize.width / 2 + kCentreShift) * scale,
                                    kSide / 2.0f - visibleSize.height / 2 * scale);
    const engine::Vec2 position = content->getPosition();
    const float zoom = content->getScale();
    content->setScale(scale);
    content->setPosition(screenCorner + offset * scale);
    picture->begin();
    // Only what the screen would show; the rest of the picture stays clear.
    renderer->pushClip(engine::Rect(screenCorner, visibleSize * scale));
    content->visit();
    renderer->popClip();
    picture->end();
    content->setScale(zoom);
    content->setPosition(position);
    return picture;
}

void FieldThumbnail::write(SaveDataManager* store, SaveData* data, engine::RenderTexture* texture,
                           Done done) {
    // The picture of a program that could not be read stays that program's.
    const std::string file =
        store && !store->isWriteProtected(data) ? store->getImageFullPath(data) : std::string();
    if (file.empty() || !texture) {
        if (done) {
            const std::string failure = file.empty() ? "" : "the picture could not be drawn";
            engine::Director::getInstance()->getScheduler()->performFunctionInCocosThread(
                [done = std::move(done), failure] { done(failure); });
        }
        return;
    }
    texture->saveToFile(file, engine::Image::Format::PNG, true,
                        [done = std::move(done)](engine::RenderTexture* written, const std::string&) {
                            if (done) {
                                done(written->getSaveFailure());
                            }
                        });
}
