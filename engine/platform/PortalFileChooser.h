#pragma once

#include "engine/platform/FileChooser.h"

#include <atomic>
#include <chrono>
#include <string>

namespace engine {

// The file chooser of the XDG desktop portal (org.freedesktop.portal.FileChooser
// on the session bus), through libdbus: the desktop's own dialog, also from
// inside a sandbox. The portal answers a call at once with a request object
// and the user's choice later, as that object's Response signal; that wait
// runs on a worker of its own, so the frame loop goes on meanwhile.
class PortalFileChooser : public FileChooser {
public:
    // The call itself (the portal may first be started by the bus).
    static constexpr int kCallTimeoutMs = 25000;
    // A chooser left open this long is closed and told as failed, so that a
    // portal that never answers does not keep the buttons waiting for ever.
    static constexpr std::chrono::minutes kAnswerDeadline{15};

    struct Question {
        bool save = false;
        std::string title;
        std::string fileName;     // save: the name proposed
        std::string parentWindow; // "x11:<hex id>", or empty
        std::chrono::milliseconds deadline = kAnswerDeadline;
    };
    struct Answer {
        FileChoice::Outcome outcome = FileChoice::Outcome::Failed;
        std::string path; // Chosen: the local file
        std::string reason;
    };
    // Asks the portal and waits for the user; blocks, so call it on a worker.
    static Answer ask(const Question& question);

    // The local path of a "file://" URI (percent escapes decoded); empty for
    // any other URI.
    static std::string pathOfUri(const std::string& uri);

    void save(const std::string& title, const std::string& fileName, std::string bytes, Done done) override;
    void open(const std::string& title, Done done) override;
    bool isAsking() const override { return asking_; }

private:
    void start(Question question, std::string bytes, Done done);

    std::atomic<bool> asking_{false};
};

} // namespace engine
