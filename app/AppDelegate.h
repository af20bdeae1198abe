#pragma once

#include "app/AppNavigator.h"
#include "app/ProgramFiles.h"
#include "app/SingleInstance.h"
#include "engine/platform/Application.h"
#include "engine/platform/FileChooser.h"
#include "widgets/Design.h"

// The application object: opens the window, sets the frame rate and the
// design resolution, shows the list of saved programs first, and pauses the
// frames while the window is in the background.
//
// Background and foreground come from the window (see GLView): it goes to the
// background when it is minimised or loses the keyboard focus, and comes back
// when it is restored or gains the focus; a change reported by both signals
// counts once. On coming back the frames start again first, then
// kEnterForegroundEvent is sent, so its listeners run in a live scene.
class AppDelegate : private engine::Application {
public:
    static constexpr const char* kTitle = "PavluneApps";
    static constexpr float kWindowWidth = design::kWidth;
    static constexpr float kWindowHeight = design::kHeight;
    static constexpr float kContentScaleFactor = 2.0f;
    static constexpr double kAnimationInterval = 1.0 / 60;
    static constexpr const char* kEnterForegroundEvent = "PAVLUNE_EVENT_ENTER_FORGROUND";

    AppDelegate() = default;
    ~AppDelegate() override;

    // The copy's claim to be the only one: once the window is open, a later
    // copy's request brings it forward, until the application ends.
    void setOnlyCopy(SingleInstance* onlyCopy) { onlyCopy_ = onlyCopy; }

    bool applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;
    void applicationDidEnterBackground() override;
    void applicationWillEnterForeground() override;

private:
    AppNavigator navigator_;
    ProgramFiles programFiles_{engine::FileChooser::system()};
    SingleInstance* onlyCopy_ = nullptr;
};
