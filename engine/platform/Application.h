#pragma once

#include <functional>
#include <string>

namespace engine {

class GLView;

// The application: its delegate methods are overridden by the program's
// AppDelegate (derive from Application), and run() drives the frames until
// the window closes or the director ends.
class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one live application, or null.
    static Application* getInstance();

    // Create the view and run the first scene here; false ends the program.
    virtual bool applicationDidFinishLaunching() = 0;
    // The window was minimised or lost the focus.
    virtual void applicationDidEnterBackground() = 0;
    // The window came back.
    virtual void applicationWillEnterForeground() = 0;
    // The frame loop has ended (the window was closed); the director and its
    // scheduler still exist. Work that must reach the disk finishes here.
    virtual void applicationWillTerminate() {}

    // Runs the main loop (one frame per animation interval, input read after
    // each frame) and returns the process exit code.
    int run();

    void setAnimationInterval(double seconds);

    // Opens `url` in the user's web browser; false when it cannot be opened.
    bool openURL(const std::string& url);
    // Replaces the browser (tests); null restores it. Without one, a
    // headless run opens nothing and answers false.
    static void setURLOpener(std::function<bool(const std::string&)> opener);

private:
    // What both frame loops do first: launch, keep the window, forward its
    // background changes and let a posted closure wake the loop. Null (the
    // director gone) when the application or its window did not start.
    GLView* startRunning();
};

} // namespace engine
