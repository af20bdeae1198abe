#include "editor/controls/RunControls.h"

#include "editor/EditorSession.h"
#include "editor/cards/CardSprite.h"
#include "engine/2d/Sprite.h"
#include "widgets/Design.h"
#include "widgets/PressedButton.h"

using engine::Size;

namespace {

constexpr float kButtonSpacing = 120;

void callIfSet(const std::function<void()>& hook) {
    if (hook) {
        hook();
    }
}

} // namespace

bool RunControls::build(engine::Node* scene, const Size& visible) {
    playerPanel = engine::Sprite::create("res/r_player.png");
    playButton = CardSprite::create("res/r_play.png");
    stopButton = engine::Sprite::create("res/r_stop.png");
    backTab = engine::Sprite::create("res/r_record_back.png");
    backButton = engine::Sprite::create("res/r_record.png");
    if (!playerPanel || !playButton || !stopButton || !backTab || !backButton) {
        return false;
    }
    const auto width = [](const engine::Node* node) { return node->getContentSize().width; };
    const auto height = [](const engine::Node* node) { return node->getContentSize().height; };
    playerPanel->setPosition(visible.width - width(playerPanel) / 2, visible.height / 2);
    playButton->setPosition(visible.width - width(playButton) / 2 - 30, visible.height / 2);
    stopButton->setPosition(visible.width - width(stopButton) / 2 - 10, visible.height / 2 - kButtonSpacing);
    backTab->setPosition(design::kWidth - width(backTab) / 2, design::kHeight - height(backTab) / 2);
    backButton->setPosition(design::kWidth - width(backButton) / 2 - 10,
                            design::kHeight - height(backButton) / 2 - 10);
    for (engine::Node* node : {static_cast<engine::Node*>(playerPanel),
                               static_cast<engine::Node*>(playButton), static_cast<engine::Node*>(stopButton),
                               static_cast<engine::Node*>(backTab), static_cast<engine::Node*>(backButton)}) {
        scene->addChild(node);
    }

    PressedButton::attach(
        playButton, [this] { callIfSet(onPlay); }, [this] { return static_cast<bool>(onPlay); });
    engine::Sprite* stop = stopButton;
    PressedButton::attach(
        stopButton, [this] { callIfSet(onStop); }, [this, stop] { return onStop && stop->isVisible(); });
    PressedButton::attach(backButton, [this] { callIfSet(onBack); });
    return true;
}

void RunControls::registerWith(EditorSession& session) {
    session.bind(EditorSession::Command::play, [this] { callIfSet(onPlay); });
    // The keys reach the buttons in the order they are read (top to bottom).
    session.addControl(
        {playButton, [this] { callIfSet(onPlay); }, [this] { return static_cast<bool>(onPlay); }});
    session.addControl(
        {stopButton, [this] { callIfSet(onStop); }, [this] { return static_cast<bool>(onStop); }});
    session.addControl({backButton, [this] { callIfSet(onBack); }});
}
