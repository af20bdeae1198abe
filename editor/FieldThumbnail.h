#pragma once

#include "engine/base/Geometry.h"

#include <functional>
#include <string>

namespace pavlune {
class FieldModel;
}

namespace engine {
class Node;
class RenderTexture;
} // namespace engine

class SaveData;
class SaveDataManager;

// The picture of a program that the list of saved programs shows. The editor
// owns what it draws, so the store only names the file and the editor writes it.
class FieldThumbnail {
public:
    // The picture's side in design units (twice as many pixels at the
    // content scale of 2).
    static constexpr int kSide = 285;
    // The point this far right of the screen's centre lands in the middle of
    // the picture (the middle of the field area right of the palette).
    static constexpr float kCentreShift = 137;

    // The field's content offset, at zoom 1, that the picture is drawn at, so
    // that the list shows the program whatever part of the field was in view:
    // the top of the sheet as the editor opens, unless no card lies wholly in
    // that first screen; then the row holding the topmost card's top edge
    // takes the first row's place (a program far down is still seen).
    static engine::Vec2 pictureOffset(const pavlune::FieldModel& model, const engine::Size& visibleSize);
    // Draws `content` (the field's scrolled content, without palette and
    // buttons) as a screen of `visibleSize` shows it at zoom 1 and `offset`,
    // scaled to kSide high about the field's middle, in one pass. The content's own
    // position and scale are put back before returning, so the user never
    // sees the field move. Null when no render texture can be made.
    static engine::RenderTexture* capture(engine::Node* content, const engine::Size& visibleSize,
                                          engine::Vec2 offset);
    // Called once the write is over: `failure` is empty when the picture was
    // written (or there was none to write), otherwise why it was not.
    using Done = std::function<void(const std::string& failure)>;

    // Writes `texture` as the entry's thumbnail (PNG with alpha) and calls
    // `done` on the main thread once the file is written, even when writing
    // failed, so that a caller waiting to leave the editor never hangs. A
    // record that was never saved has no thumbnail name: nothing is written
    // and `done` is called on the next frame.
    static void write(SaveDataManager* store, SaveData* data, engine::RenderTexture* texture, Done done);
};
