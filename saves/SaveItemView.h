#pragma once

#include "engine/2d/Node.h"

#include <cstddef>
#include <string>

namespace engine {
class Event;
class EventListenerTouchOneByOne;
class Label;
class Sprite;
class Texture2D;
class Touch;
} // namespace engine

class SaveData;
class SaveItemViewListener;

// One entry of the saved-program list: a 300 x 768 column with a picture, the
// title below it and a selection mark. It turns touches into three events for
// its listener: a tap on the picture, a long press on the picture and a tap on
// the title. Its touch listeners do not swallow at first, so a drag that
// starts on an entry scrolls the list; once a touch has been held still for
// kHoldDelay the entry swallows it and the list stops following.
class SaveItemView : public engine::Node {
public:
    static constexpr float kWidth = 300;
    static constexpr float kHeight = 768;
    static constexpr float kPictureSide = 300;
    // Pictures are shown at this size, whatever their pixel size.
    static constexpr float kThumbnailSide = 285;
    static constexpr float kTitleFontSize = 30;
    // The title hangs from here, below the picture, on at most two lines;
    // a longer one ends the second line with the ellipsis.
    static constexpr float kTitleTop = 214;
    static constexpr int kTitleMaxLines = 2;
    // At most this many characters of a title are laid out.
    static constexpr std::size_t kTitleLayoutCharacters = 160;
    static constexpr const char* kEllipsis = "…";
    static constexpr float kHoldDelay = 0.3f;
    static constexpr float kLongPressDelay = 2.0f;
    static constexpr float kMoveThreshold = 10;
    static constexpr std::uint8_t kTouchedOpacity = 150;
    static constexpr const char* kNewProgramPicture = "res/r_record_beginning.png";
    // A saved program whose thumbnail is missing, unreadable or still loading.
    static constexpr const char* kNoThumbnailPicture = "res/r_record_empty.png";
    static constexpr const char* kSelectedMarkPicture = "res/r_record_selected.png";

    // Binds the entry to `record` (null allowed) and shows its title.
    virtual void setSaveData(SaveData* record);
    // What a tap on the title does; the base does nothing.
    virtual void titleTapped();

    // Shows or hides the selection mark along with `selected`.
    void setSelected(bool on);

    // Leaving the scene (recycled out of view) drops a touch in progress: the
    // touch's end would never reach this entry, which would then refuse every
    // later touch.
    void onExit() override;

    // Entries alive in the process (for tests and benchmarks of recycling).
    static int getLiveCount();

    // The program shown (not owned); null for the start-new entry.
    SaveData* data = nullptr;
    // Position in the list: 0 for the start-new entry, i for the i-th program.
    int index = 0;
    engine::Node* pictureNode = nullptr;
    engine::Sprite* selectedMark = nullptr;
    engine::Label* titleLabel = nullptr;
    // What a tap on the title must hit: the label's lines, at least one line high.
    engine::Node* titleArea = nullptr;
    // Receiver of the three events (not owned).
    SaveItemViewListener* listener = nullptr;
    bool selected = false;

protected:
    SaveItemView();
    ~SaveItemView() override;

    // Builds the layout and the touch handling with `record` (null allowed).
    bool initWithSaveData(SaveData* record);
    // Replaces the picture by the resource at `path` (shared through the texture cache).
    void showPicture(const std::string& path);
    // Replaces the picture by `texture`, which the picture's sprite then holds.
    void showPicture(engine::Texture2D* texture);
    // Shows `title` cut to the lines there are and sizes the tap area.
    void showTitle(const std::string& title);

private:
    // The state of one gesture (on the picture or on the title).
    struct Gesture {
        engine::EventListenerTouchOneByOne* listener = nullptr;
        engine::Node* target = nullptr;
        bool longPress = false;
        int touchId = -1;
        bool touching = false;
        bool moved = false;
        bool pending = false;
        bool done = false;
        engine::Vec2 start;
    };

    void placePicture(engine::Sprite* sprite);
    void listen(Gesture& gesture, engine::Node* target, bool longPress);
    bool began(Gesture& gesture, engine::Touch* touch);
    void held(Gesture& gesture, int touchId);
    void longPressed(Gesture& gesture, int touchId);
    void moved(Gesture& gesture, engine::Touch* touch);
    void ended(Gesture& gesture, engine::Touch* touch, bool cancelled);
    void reset(Gesture& gesture);
    void report(const Gesture& gesture);

    float oneLineHeight_ = 0;
    Gesture picture_;
    Gesture title_;
};
