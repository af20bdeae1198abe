#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pavlune {

// The page's serial link in a browser build (proj.web/serial/): the ports
// the user has allowed this site, the browser's port chooser, and transfers
// that the page carries out on its own while the program keeps drawing. The
// program asks, and polls a running transfer once a frame; the page calls in
// only to say that its list or the user's choice changed.
class SerialPage {
public:
    struct Port {
        std::string description; // "USB 2341:0043", or the page's word for a port it cannot tell
        bool usb = false;
        int usbVendor = -1; // what the browser tells of a USB adapter; -1 when nothing
        int usbProduct = -1;
    };

    struct Transfer {
        enum class State { running, done, stopped, writeFailed, openFailed, unknown };
        State state = State::unknown;
        int position = 0; // the schedule's steps carried out
        // openFailed: busy, noSuchDevice, permissionDenied or other;
        // writeFailed: deadline, deviceGone or other.
        std::string kind;
        // The browser's words; for a write's deadline, the milliseconds waited.
        std::string reason;
    };

    virtual ~SerialPage() = default;

    // The browser has Web Serial at all.
    virtual bool available() = 0;
    // The allowed ports present now, in the page's order (the last list the
    // page heard of: it refreshes on its own when ports come and go).
    virtual std::vector<Port> ports() = 0;
    // Counts the changes of the list (ports that came, went or were newly
    // allowed): a change means the ports should be searched again.
    virtual int changes() = 0;
    // Opens the browser's port chooser. Only while a user's press is being
    // handled: the browser refuses it otherwise. The answer comes later:
    // choices() counts up and chosenIndex() is the port's place in ports().
    virtual void choose() = 0;
    virtual int choices() = 0;
    virtual int chosenIndex() = 0;
    // Counts the chooser's refusals by the browser's settings (a school's
    // policy that blocks serial ports); a chooser the user closed is none.
    virtual int refusals() = 0;
    // Where the program's "choose a board" button is, in fractions of the
    // canvas from its top left; an empty area when it is not shown. The page
    // opens the chooser itself when a press on it ends there (choose() from a
    // later frame would be too late for the browser).
    virtual void setChooseArea(float left, float top, float right, float bottom) = 0;
    // Called on the main thread, outside any frame, when changes() or
    // choices() counted up: an idle program polls nothing and learns of
    // them here. Null forgets the handler.
    virtual void setOnChange(std::function<void()> handler) = 0;

    // Starts carrying out a TransferSchedule's JSON on port `index`; the
    // number to poll it by.
    virtual int startTransfer(int index, const std::string& stepsJson) = 0;
    // A finished transfer is reported once, then forgotten (unknown).
    virtual Transfer pollTransfer(int id) = 0;
    // Ends the transfer at its next stop check.
    virtual void stopTransfer(int id) = 0;
};

} // namespace pavlune
