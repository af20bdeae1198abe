#pragma once

#include <string>

namespace engine {
class Node;
} // namespace engine

// Tells the user something that went wrong: in the system's message box, or,
// where that cannot be shown (no usable box on this display), in the
// application's own box on top of `scene`, which any tap closes.
class Notice {
public:
    static void show(engine::Node* scene, const std::string& message, const std::string& title);
    // The same with the system's failure icon: something the user asked for
    // did not happen.
    static void showFailure(engine::Node* scene, const std::string& message, const std::string& title);

private:
    static void show(engine::Node* scene, const std::string& message, const std::string& title, bool failure);
};
