#pragma once

#include "engine/base/Geometry.h"

#include <functional>

namespace engine {
class Node;
class Sprite;
} // namespace engine

class CardSprite;
class EditorSession;

// The controls on the right of the editor: the panel behind the run
// buttons, the play and stop buttons, and the back button at the top right
// with its tab. What they do is given by the hooks; the play and stop
// buttons take a touch only while the hooks are set, and stop only while it
// shows.
class RunControls {
public:
    // Adds the nodes to `scene` (its children, in drawing order). False when
    // a picture is missing.
    bool build(engine::Node* scene, const engine::Size& visibleSize);
    // The keys play as the play button does.
    void registerWith(EditorSession& session);

    std::function<void()> onPlay;
    std::function<void()> onStop;
    std::function<void()> onBack;

    engine::Sprite* getPlayerPanel() const { return playerPanel; }
    CardSprite* getPlayButton() const { return playButton; }
    engine::Sprite* getStopButton() const { return stopButton; }
    engine::Sprite* getBackButton() const { return backButton; }
    engine::Sprite* getBackTab() const { return backTab; }

private:
    engine::Sprite* playerPanel = nullptr;
    CardSprite* playButton = nullptr;
    engine::Sprite* stopButton = nullptr;
    engine::Sprite* backButton = nullptr;
    engine::Sprite* backTab = nullptr;
};
