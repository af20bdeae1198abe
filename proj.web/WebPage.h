#pragma once

#include <string>

// What the page around the canvas asks of the program: a program file out
// (download) and in (upload), and text from the browser's input method. The
// page calls the C functions in WebPage.cpp; these do the work on the main
// thread between frames.
class WebPage {
public:
    // Writes the newest program to `path`; its file name for the download,
    // or empty when there is nothing to export.
    static std::string exportNewest(const std::string& path);
    // Writes every program to `path` as one class file; its file name for
    // the download, or empty when there is nothing to export.
    static std::string exportClass(const std::string& path);
    // Adds the program file at `path`, which came as `fileName`, as a new
    // program titled after it (or every program of a class file) and shows
    // the list's start; a file that is neither is told with the usual message.
    static void importFile(const std::string& path, const std::string& fileName);
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
