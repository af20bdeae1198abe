// The browser's file chooser is the page's: a download for a save (the
// browser puts it where its settings say, or asks), the page's file input
// for an open. The page calls back with the chosen file's bytes in the
// in-memory file system (shell.html).
#include "engine/2d/Director.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/FileChooser.h"

#include <emscripten.h>

namespace engine {

namespace {

// clang-format off
EM_JS(void, pageDownload, (const char* name, const char* bytes, int size), {
    Module.pavluneDownload(UTF8ToString(name), HEAPU8.slice(bytes, bytes + size));
});

EM_JS(void, pageChooseFile, (), {
    Module.pavluneChooseFile();
});
// clang-format on

// Answers on the frame loop, which this wakes: called straight from the
// page, an answer's box would wait unseen for the next event.
void answerLater(FileChoice choice, FileChooser::Done done) {
    Director::getInstance()->getScheduler()->performFunctionInCocosThread(
        [choice = std::move(choice), done = std::move(done)] { done(choice); });
}

class WebFileChooser : public FileChooser {
public:
    void save(const std::string&, const std::string& fileName, std::string bytes, Done done) override {
        pageDownload(fileName.c_str(), bytes.data(), static_cast<int>(bytes.size()));
        FileChoice choice;
        choice.outcome = FileChoice::Outcome::Chosen;
        choice.name = fileName;
        answerLater(std::move(choice), std::move(done));
    }

    // Only the page's own event may open its chooser; a later question
    // replaces one the page never answered (a browser without the input's
    // cancel event).
    void open(const std::string&, Done done) override {
        waiting_ = std::move(done);
        pageChooseFile();
    }
    bool isAsking() const override { return false; }

    // The page's answer: the file it copied to `path`, or none (cancelled).
    // The page's own button asks nobody here: its file is given unasked.
    void chosen(const std::string& path, const std::string& name) {
        Done done = waiting_ ? std::move(waiting_) : unasked;
        waiting_ = nullptr;
        if (!done) {
            return;
        }
        FileChoice choice;
        if (path.empty()) {
            choice.outcome = FileChoice::Outcome::Cancelled;
        } else {
            choice = readChosen(path);
            choice.name = name;
        }
        answerLater(std::move(choice), std::move(done));
    }

private:
    Done waiting_;
};

WebFileChooser& webChooser() {
    static WebFileChooser chooser;
    return chooser;
}

} // namespace

FileChooser& FileChooser::system() {
    return webChooser();
}

} // namespace engine

extern "C" EMSCRIPTEN_KEEPALIVE void pavlune_web_file_chosen(const char* path, const char* name) {
    engine::webChooser().chosen(path, name);
}
