#include "proj.win32/ConsoleCodePage.h"

UINT ConsoleCodePage::saved_ = 0;

ConsoleCodePage::ConsoleCodePage() {
    const UINT before = GetConsoleOutputCP();
    if (before == 0 || before == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) {
        return;
    }
    saved_ = before;
    SetConsoleCtrlHandler(&ConsoleCodePage::onStop, TRUE);
}

ConsoleCodePage::~ConsoleCodePage() {
    if (saved_ != 0) {
        SetConsoleCtrlHandler(&ConsoleCodePage::onStop, FALSE);
    }
    restore();
}

void ConsoleCodePage::restore() {
    if (saved_ != 0) {
        SetConsoleOutputCP(saved_);
        saved_ = 0;
    }
}

BOOL WINAPI ConsoleCodePage::onStop(DWORD /*event*/) {
    restore();
    return FALSE; // the system's own handling goes on: the program ends
}
