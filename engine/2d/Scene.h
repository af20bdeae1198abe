#pragma once

#include "engine/2d/Node.h"

namespace engine {

// The root of a running node tree: the size of the window in design units,
// placed at the origin.
class Scene : public Node {
public:
    CREATE_FUNC(Scene);
    bool init() override;

protected:
    Scene();
};

} // namespace engine
