#pragma once

namespace engine {

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

    // Runs the main loop (one frame per animation interval, input read after
    // each frame) and returns the process exit code.
    int run();

    void setAnimationInterval(double seconds);
};

} // namespace engine
