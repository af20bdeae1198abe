#pragma once

#include <windows.h>

// The console's output code page set to UTF-8 while this object lives, and
// put back when it goes, when Ctrl+C or Ctrl+Break stops the program and when
// the console is closed: the console is the user's shell's, which would
// otherwise go on reading its programs' output as UTF-8. Nothing happens
// without a console.
class ConsoleCodePage {
public:
    ConsoleCodePage();
    ~ConsoleCodePage();

    ConsoleCodePage(const ConsoleCodePage&) = delete;
    ConsoleCodePage& operator=(const ConsoleCodePage&) = delete;

private:
    static void restore();
    static BOOL WINAPI onStop(DWORD event);

    // The page before, or 0 when there is nothing to put back (one per
    // process: the handler of a stop is a plain function).
    static UINT saved_;
};
