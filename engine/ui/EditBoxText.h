#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace engine::ui {

// The text of an edit box with its caret and selection, in UTF-8: every
// position is a byte offset on a character boundary. The selection runs
// between the anchor and the caret (empty when they meet); typing or erasing
// replaces it. No drawing, no SDL.
class EditBoxText {
public:
    const std::string& text() const { return text_; }
    std::size_t caret() const { return caret_; }
    bool hasSelection() const { return anchor_ != caret_; }
    // [begin, end) of the selection in bytes.
    std::pair<std::size_t, std::size_t> selection() const;
    std::string selectedText() const;
    std::size_t selectedCharacters() const;

    // Replaces the text; the caret goes to its end, nothing is selected.
    void setText(std::string text);
    void selectAll();
    // Moves the caret; with `extend` the anchor stays, so the selection grows
    // or shrinks. Without it a selection collapses (Left/Right to its edge).
    void moveLeft(bool extend);
    void moveRight(bool extend);
    void moveHome(bool extend);
    void moveEnd(bool extend);
    void moveTo(std::size_t position, bool extend);

    // Replaces the selection (or inserts at the caret); false if nothing changed.
    bool insert(const std::string& text);
    // Backspace and Delete: the selection, else one character; false if nothing changed.
    bool eraseBackward();
    bool eraseForward();
    // Removes the selection and returns it.
    std::string cutSelection();

    static std::size_t countCharacters(const std::string& text);
    // The first `count` characters of `text`, as bytes.
    static std::size_t bytesOfCharacters(const std::string& text, std::size_t count);
    static bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

private:
    std::size_t previousBoundary(std::size_t position) const;
    std::size_t nextBoundary(std::size_t position) const;
    void collapseTo(std::size_t position);

    std::string text_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
};

} // namespace engine::ui
