#pragma once

#include <functional>
#include <string>
#include <vector>

namespace engine {
class Label;
class LayerColor;
class Node;
class Sprite;
struct Color4B;
} // namespace engine

// The overlay of a send: a solid dark screen where the text that goes to the
// board appears as it goes (light text, the newest line at the bottom), a
// turning spinner and a stop button. When the send ends it says what the
// editor knows, no more: that the program went out (not that a board ran
// it), and what came back on the line, if anything; then it keeps the text
// until the user taps it away.
//
// Each line of text is a label of its own: a character added redraws only the
// line it lands on, and a new line moves the others up instead of drawing the
// whole text again.
class SendingOverlay {
public:
    // Above everything of the editor, a card being dragged included.
    static constexpr int kZOrder = 2000;

    static constexpr float kFontSize = 24;
    static constexpr int kVisibleLines = 16;
    static constexpr int kColumns = 56; // characters on a line before it wraps

    // What the editor knows when a send has ended.
    struct Ending {
        bool sent = true;     // every byte went out; false: it stopped on the way
        std::string answer;   // what came back on the line (the raw bytes)
        bool builtIn = false; // the port is a built-in UART, where silence may mean no board
    };

    // `boardFont`: the text is shown in the board's own character set (jam),
    // otherwise in the Japanese system font.
    SendingOverlay(engine::Node* scene, bool boardFont);
    ~SendingOverlay();

    SendingOverlay(const SendingOverlay&) = delete;
    SendingOverlay& operator=(const SendingOverlay&) = delete;

    // Released on the stop button (called on the next frame).
    std::function<void()> onStop;
    // Released inside the finished panel: the owner removes the overlay.
    std::function<void()> onClose;

    void appendText(const std::string& text);
    // The stop was asked for: the button goes and the panel says it is
    // stopping; the spinner turns until the owner removes the overlay.
    void showStopping();
    // The stop button and the spinner go; the panel says how the send ended,
    // shows the board's answer (or the silence of a built-in port) and a
    // close button; a tap anywhere on it closes it.
    void finish(const Ending& ending);
    // The last line of what a board sent that can be shown: printable ASCII,
    // at most kColumns characters (its end); empty when there is none.
    static std::string answerLine(const std::string& received);
    bool isPanel() const { return finished_; }

    // Everything shown so far, as it came.
    const std::string& getEchoedText() const { return echoed_; }
    // The lines on the panel, oldest first (at most kVisibleLines).
    const std::vector<engine::Label*>& getLines() const { return lines_; }
    bool usesBoardFont() const { return boardFont_; }

    engine::LayerColor* getLayer() const { return layer_; }
    // The area of the text and its caption.
    engine::Node* getPanel() const { return panel_; }
    engine::Label* getCaption() const { return caption_; }
    // The board's answer, or the words for its silence; null when neither.
    engine::Label* getAnswer() const { return answer_; }
    engine::Node* getCloseButton() const { return closeButton_; }
    engine::Sprite* getStopButton() const { return stopButton_; }
    engine::Sprite* getSpinner() const { return spinner_; }

private:
    void addStopButton();
    void addCloseButton();
    void removeStopButton();
    void newLine();
    void showCaption(const std::string& text);
    void showAnswer(const std::string& text);
    // A label on the panel's heading line, its left edge at `x`; null when
    // it could not be made.
    engine::Label* addHeadingLabel(const std::string& text, float size, const engine::Color4B& colour,
                                   float x);

    engine::Node* scene_ = nullptr;
    bool boardFont_ = false;
    engine::LayerColor* layer_ = nullptr;
    engine::Node* panel_ = nullptr;
    engine::Sprite* stopButton_ = nullptr;
    engine::Sprite* spinner_ = nullptr;
    engine::Label* caption_ = nullptr;
    engine::Label* answer_ = nullptr;
    engine::Node* closeButton_ = nullptr;
    std::vector<engine::Label*> lines_; // children of the panel
    std::string current_;               // the text of the last line
    int currentColumns_ = 0;
    std::string echoed_;
    bool finished_ = false;
};
