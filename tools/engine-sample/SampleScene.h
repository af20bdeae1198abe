#pragma once

#include "engine/2d/Scene.h"

#include <string>

// A scene that exercises the engine: a colour layer, sprites running an
// action sequence, a card that turns about its vertical axis (edge-on at
// 90 degrees, where it changes face), a clipped strip and a tap that spawns
// fading sprites.
class SampleScene : public engine::Scene {
public:
    CREATE_FUNC(SampleScene);
    bool init() override;

private:
    void addActionRow(const std::string& picture);
    void addTurningCard(const std::string& front, const std::string& back);
    void addClippedStrip(const std::string& picture);
    void addTapListener(const std::string& picture);
};
