#include "engine/platform/SystemMessageBox.h"

namespace engine {

// The browser's own box (alert) stops the whole page: callers draw theirs.
bool showSystemMessageBox(const std::string& /*text*/, const std::string& /*caption*/,
                          MessageBoxIcon /*icon*/) {
    return false;
}

} // namespace engine
