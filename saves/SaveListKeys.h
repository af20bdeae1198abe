#pragma once

namespace engine {
class EventKeyboard;
class EventListenerKeyboard;
class Node;
} // namespace engine

class SaveScene;

// The list screen's keyboard: Left / Right (and Up / Down) move a focus
// frame through the entries, scrolling the focused one into view, and
// Return opens it as a tap on its picture would. The frame shows from the
// first arrow key on, first around the entry nearest the middle of the view.
// While a question covers the list Return answers it as OK and Escape as a
// tap beside it; the title editor keeps the keys to itself.
class SaveListKeys {
public:
    static constexpr float kFrameWidth = 8;
    // The frame lies this far outside the entry's picture.
    static constexpr float kFrameMargin = 10;

    // Listens on `scene` and adds the frame to it, above the strip.
    explicit SaveListKeys(SaveScene* scene);
    ~SaveListKeys();
    SaveListKeys(const SaveListKeys&) = delete;
    SaveListKeys& operator=(const SaveListKeys&) = delete;

    bool keyPressed(const engine::EventKeyboard& key);
    // Follows the strip (after every scroll).
    void refresh();

    bool isShown() const;
    // List position of the focused entry (0: the start-new entry).
    int focusedIndex() const { return focused_; }
    engine::Node* getFrame() const { return frame_; }

private:
    bool isCovered() const;
    void moveFocus(int step);
    void scrollIntoView();
    void open();

    SaveScene* scene_;
    engine::Node* frame_ = nullptr;
    engine::EventListenerKeyboard* listener_ = nullptr;
    int focused_ = 0;
};
