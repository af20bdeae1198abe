#include "app/AppDelegate.h"
#include "engine/platform/Application.h"

// The command line is not used: every setting is built in.
int main() {
    AppDelegate app;
    return engine::Application::getInstance()->run();
}
