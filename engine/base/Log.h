#pragma once

#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// The one way diagnostics leave the program: one line per call on standard
// error, "pavlune <level> <component>: <message>", from any thread. The
// component names the layer that speaks ("engine", "store", "device", ...);
// the message carries the path and the system's reason where there is one.
// What a child sees is the screens' business; this is for the teacher or
// developer who reads the terminal.
class Log {
public:
    enum class Level { Info, Warning, Error };
    using Sink = std::function<void(Level level, const std::string& component, const std::string& message)>;

    static void write(Level level, std::string_view component, std::string_view message);
    static void info(std::string_view component, std::string_view message) {
        write(Level::Info, component, message);
    }
    static void warning(std::string_view component, std::string_view message) {
        write(Level::Warning, component, message);
    }
    static void error(std::string_view component, std::string_view message) {
        write(Level::Error, component, message);
    }

    // The line that standard error receives, without its line end.
    static std::string format(Level level, std::string_view component, std::string_view message);

    // Lines go to `sink` instead of standard error (an empty one restores it);
    // returns the sink that was in place.
    static Sink setSink(Sink sink);
    // Lines below `lowest` are dropped (a command-line tool that tells its
    // user the same in its own words keeps only errors); returns the
    // previous one. Everything is written by default.
    static Level setThreshold(Level lowest);

    // Collects every line written while it lives, instead of printing them
    // (tests). Captures nest: the outer one resumes when the inner one goes.
    class Capture {
    public:
        Capture();
        ~Capture();
        Capture(const Capture&) = delete;
        Capture& operator=(const Capture&) = delete;

        // The formatted lines so far.
        std::vector<std::string> lines() const;
        // The lines that contain every one of `parts`.
        std::vector<std::string> linesWith(std::initializer_list<std::string_view> parts) const;

    private:
        mutable std::mutex mutex_;
        std::vector<std::string> lines_;
        Sink previous_;
    };
};

} // namespace engine
