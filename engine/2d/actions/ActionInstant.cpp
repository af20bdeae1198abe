#include "engine/2d/actions/ActionInstant.h"

namespace engine {

void ActionInstant::step(float) {
    update(1.0f);
}

} // namespace engine
