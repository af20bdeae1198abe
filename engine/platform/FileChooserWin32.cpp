// The common file dialog of Windows. Its calls are modal and block the
// calling thread until the user answers, so they run on a worker: the frame
// loop goes on, and the dialog, owned by the editor's window, keeps it from
// taking clicks meanwhile.
#include "engine/2d/Director.h"
#include "engine/base/Log.h"
#include "engine/base/Scheduler.h"
#include "engine/base/WideText.h"
#include "engine/platform/FileChooser.h"
#include "engine/platform/GLView.h"
#include "engine/platform/Worker.h"

#include <windows.h>

#include <SDL_syswm.h>
#include <algorithm>
#include <atomic>
#include <commdlg.h>
#include <objbase.h>
#include <vector>

namespace engine {

namespace {

// Two filters, each a name and a pattern, the list ended by an empty name.
constexpr wchar_t kFilters[] = L"PavluneCards (*.plist)\0*.plist\0*.*\0*.*\0";
// A path as long as Windows' long paths allow.
constexpr DWORD kPathCapacity = 32768;

HWND ownerWindow() {
    GLView* view = Director::getInstance()->getOpenGLView();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!view || !view->getWindow() || !SDL_GetWindowWMInfo(view->getWindow(), &info) ||
        info.subsystem != SDL_SYSWM_WINDOWS) {
        return nullptr;
    }
    return info.info.win.window;
}

class Win32FileChooser : public FileChooser {
public:
    void save(const std::string& title, const std::string& fileName, std::string bytes, Done done) override {
        start(true, title, fileName, std::move(bytes), std::move(done));
    }
    void open(const std::string& title, Done done) override { start(false, title, {}, {}, std::move(done)); }
    bool isAsking() const override { return asking_; }

private:
    void start(bool save, const std::string& title, const std::string& fileName, std::string bytes,
               Done done) {
        if (asking_.exchange(true)) {
            return;
        }
        Scheduler* scheduler = Director::getInstance()->getScheduler();
        HWND owner = ownerWindow();
        startWorker([this, scheduler, owner, save, title, fileName, bytes = std::move(bytes),
                     done = std::move(done)] {
            // The dialog browses the shell's folders, which asks for a
            // single-threaded apartment on the thread that shows it.
            const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            FileChoice choice = ask(owner, save, title, fileName, bytes);
            if (SUCCEEDED(com)) {
                CoUninitialize();
            }
            if (!choice.reason.empty()) {
                Log::warning("engine", "file chooser: " + choice.reason);
            }
            scheduler->performFunctionInCocosThread([this, choice, done] {
                asking_ = false;
                done(choice);
            });
        });
    }

    static FileChoice ask(HWND owner, bool save, const std::string& title, const std::string& fileName,
                          const std::string& bytes) {
        std::vector<wchar_t> path(kPathCapacity, L'\0');
        const std::wstring proposed = wideFromUtf8(fileName);
        proposed.copy(path.data(), std::min<std::size_t>(proposed.size(), kPathCapacity - 1));
        const std::wstring caption = wideFromUtf8(title);
        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = owner;
        dialog.lpstrFilter = kFilters;
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = path.data();
        dialog.nMaxFile = kPathCapacity;
        dialog.lpstrTitle = caption.c_str();
        dialog.lpstrDefExt = L"plist";
        dialog.Flags =
            OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_LONGNAMES |
            (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
        const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
        if (!chosen) {
            FileChoice choice;
            const DWORD error = CommDlgExtendedError();
            // No error: the user closed the dialog.
            choice.outcome = error == 0 ? FileChoice::Outcome::Cancelled : FileChoice::Outcome::Unavailable;
            if (error != 0) {
                choice.reason = "the common file dialog failed (" + std::to_string(error) + ")";
            }
            return choice;
        }
        const std::string chosenPath = utf8FromWide(path.data());
        return save ? writeChosen(chosenPath, bytes) : readChosen(chosenPath);
    }

    std::atomic<bool> asking_{false};
};

} // namespace

FileChooser& FileChooser::system() {
    static Win32FileChooser chooser;
    return chooser;
}

} // namespace engine
