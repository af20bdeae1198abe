#pragma once

#include "engine/2d/Node.h"

namespace engine {

// A window-sized container placed by its bottom-left corner.
class Layer : public Node {
public:
    CREATE_FUNC(Layer);
    bool init() override;

protected:
    Layer();
};

} // namespace engine
