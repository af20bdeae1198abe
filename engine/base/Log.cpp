#include "engine/base/Log.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace engine {

namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

Log::Sink& currentSink() {
    static Log::Sink sink;
    return sink;
}

Log::Level& threshold() {
    static Log::Level lowest = Log::Level::Info;
    return lowest;
}

const char* levelName(Log::Level level) {
    switch (level) {
    case Log::Level::Info:
        return "info";
    case Log::Level::Warning:
        return "warning";
    case Log::Level::Error:
        return "error";
    }
    return "error";
}

} // namespace

std::string Log::format(Level level, std::string_view component, std::string_view message) {
    std::string line = "pavlune ";
    line += levelName(level);
    line += ' ';
    line += component;
    line += ": ";
    line += message;
    // One call, one line: an embedded line end would split a reader's grep.
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

void Log::write(Level level, std::string_view component, std::string_view message) {
    // Held while the sink runs, so that lines from two threads never interleave.
    std::lock_guard lock(sinkMutex());
    if (level < threshold()) {
        return;
    }
    if (const Sink& sink = currentSink()) {
        sink(level, std::string(component), std::string(message));
        return;
    }
    const std::string line = format(level, component, message) + '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

Log::Sink Log::setSink(Sink sink) {
    std::lock_guard lock(sinkMutex());
    return std::exchange(currentSink(), std::move(sink));
}

Log::Level Log::setThreshold(Level lowest) {
    std::lock_guard lock(sinkMutex());
    return std::exchange(threshold(), lowest);
}

Log::Capture::Capture() {
    previous_ = setSink([this](Level level, const std::string& component, const std::string& message) {
        std::lock_guard lock(mutex_);
        lines_.push_back(format(level, component, message));
    });
}

Log::Capture::~Capture() {
    setSink(std::move(previous_));
}

std::vector<std::string> Log::Capture::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::vector<std::string> Log::Capture::linesWith(std::initializer_list<std::string_view> parts) const {
    std::vector<std::string> found;
    for (const std::string& line : lines()) {
        if (std::all_of(parts.begin(), parts.end(),
                        [&line](std::string_view part) { return line.find(part) != std::string::npos; })) {
            found.push_back(line);
        }
    }
    return found;
}

} // namespace engine
