#pragma once

#include <string>

namespace pavlune {

// What a transfer routine hands to its error callback, copied by value from
// the worker to the main thread; the editor decides what each flag does.
struct PavluneAppsError {
    std::string title;        // the message box caption
    std::string message;      // its text
    bool showMessage = false; // show a message box
    bool openBar = false;     // slide the editor's bottom bar open
    bool searchAgain = false; // start a new port search

    // The selected port could not be opened (absent, or held by another
    // program). A known `reason` goes on a second line of the message. The
    // ports are searched again: a port that cannot be opened has often gone.
    static PavluneAppsError portNotOpened(const std::string& reason = "") {
        std::string message = "せつぞくしなおしてください。";
        if (!reason.empty()) {
            message += "\n" + reason;
        }
        return {"しっぱい", message, true, true, true};
    }
    // A byte could not be written to the open port.
    static PavluneAppsError writeFailed() {
        return {"しっぱい", "せつぞくにしっぱいしました。", true, true, true};
    }
    // The board has no sequence that stops a running program (que): only its
    // reset button does, and the user is told so instead of a pretended stop.
    static PavluneAppsError cannotStop() {
        return {"ボードを とめるには", "ボードの リセットボタンを おしてね。", true, false, false};
    }
    // The user stopped the send; nothing to show.
    static PavluneAppsError stopped() { return {"", "", false, false, false}; }

    bool operator==(const PavluneAppsError&) const = default;
};

} // namespace pavlune
