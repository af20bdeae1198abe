#pragma once

#include "engine/2d/Sprite.h"
#include "engine/base/RefPtr.h"

#include <functional>

class DialectChooser;
class EditorChoices;
class EditorSession;
class FieldBoard;

// The button on the right of the editor that shows the current dialect and
// opens the chooser. The dialect is the editor's choice (EditorChoices); after
// a choice every card on the field shows its code in the new dialect.
class DialectToggle : public engine::Sprite {
public:
    // Above the run controls' panel, whichever of them is added first.
    static constexpr int kZOrder = 1;
    // The chooser covers the whole screen, the toggle included.
    static constexpr int kChooserZOrder = 100;
    static constexpr float kRightMargin = 10;
    static constexpr float kRaise = 120;

    // At its place on the right of the visible area, showing the current
    // dialect. `board` (not owned) holds the cards whose backs follow the
    // dialect of `choices` (not owned).
    static DialectToggle* create(FieldBoard* board, EditorChoices& choices);

    // Made visible by every refresh (the link room hands it over when it exists).
    void setStopButton(engine::Sprite* stopButton) { stopButton_ = stopButton; }

    // The toggle shows the current dialect, the stop button shows, and every
    // card on the field takes its back in the current dialect.
    void refreshDialect();
    // Opens the chooser over the screen (in the toggle's parent).
    void showDialectChooser();
    // Fades the chooser away, then refreshes.
    void closeDialectChooser();

    // Null while closed (also while the last one fades away).
    DialectChooser* getChooser() const { return chooser_.get(); }
    // While it answers true (a popup or an overlay is open), the toggle
    // takes no touch and opens nothing.
    std::function<bool()> isBlocked;
    // The chooser is a popup; the toggle is blocked while any popup is open.
    void registerWith(EditorSession& session);

protected:
    DialectToggle(FieldBoard* board, EditorChoices& choices);
    ~DialectToggle() override;
    bool initToggle();

private:
    using engine::Sprite::init;
    using engine::Sprite::initWithFile;

    FieldBoard* board_;
    EditorChoices& choices_;
    engine::Sprite* stopButton_ = nullptr;
    engine::RefPtr<DialectChooser> chooser_;
};
