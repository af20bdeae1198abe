// The editor is a GUI program and has no console of its own. Started from a
// console, its --help text and its error lines go to that console (unless
// they are redirected already), in UTF-8 until the editor ends.
#include "proj.win32/ConsoleCodePage.h"

#include <windows.h>

#include <cstdio>
#include <optional>

namespace {

bool isRedirected(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

struct ParentConsole {
    ParentConsole() {
        const bool output = isRedirected(STD_OUTPUT_HANDLE);
        const bool errors = isRedirected(STD_ERROR_HANDLE);
        if ((output && errors) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
            return;
        }
        utf8.emplace();
        if (!output) {
            std::freopen("CONOUT$", "w", stdout);
        }
        if (!errors) {
            std::freopen("CONOUT$", "w", stderr);
        }
    }
    std::optional<ConsoleCodePage> utf8;
};

const ParentConsole parentConsole;

} // namespace
