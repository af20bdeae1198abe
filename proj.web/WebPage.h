#pragma once

#include <string>

// What the page around the canvas asks of the program: programs out as
// downloads, and text from the browser's input method. The
// page calls the C functions in WebPage.cpp; these do the work on the main
// thread between frames.
class WebPage {
public:
    // The page's own buttons: the newest program, or every program, out as
    // a download (a file chosen with the page's import button comes to the
    // program's file chooser, FileChooserWeb).
    static void exportNewest();
    static void exportClass();
    // A touch the browser took away (a system gesture): every held touch
    // ends as cancelled, so that what it dragged goes back.
    static void cancelTouches();
    // The page is hidden and may be closed without another frame: the shown
    // screen writes what the list would miss (ScreenNavigator::kHidingEvent).
    static void pageHidden();
    // Text from the input method: the composition as it stands (`composing`)
    // or the committed text, as the window's text events.
    static void text(const std::string& utf8, bool composing);
};
