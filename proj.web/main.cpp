// The editor in the browser: the page (shell.html) has mounted the lasting
// storage and preloaded the resources before this runs.
#include "app/AppDelegate.h"
#include "engine/platform/Application.h"

int main() {
    // Static: the browser's frame loop goes on after main has returned.
    static AppDelegate app;
    return engine::Application::getInstance()->run();
}
