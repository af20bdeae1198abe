#include "app/SingleInstance.h"
#include "engine/base/Log.h"
#include "engine/base/WideText.h"

#include <windows.h>

#include <thread>
#include <utility>

struct SingleInstance::Platform {
    HANDLE running = nullptr; // the mutex whose owner is the first copy
    HANDLE raise = nullptr;   // auto-reset: each later copy's request wakes the first once
    HANDLE stop = nullptr;
    bool first = false;
    std::thread listener;
};

SingleInstance::SingleInstance(std::string name)
    : name_(std::move(name)), platform_(std::make_unique<Platform>()) {}

SingleInstance::~SingleInstance() {
    stopListening();
    for (HANDLE handle : {platform_->raise, platform_->running}) {
        if (handle) {
            CloseHandle(handle);
        }
    }
}

bool SingleInstance::claim() {
    // In the session's namespace ("Local\"), which is one user's.
    const std::wstring base = engine::wideFromUtf8("Local\\" + name_);
    // The event first, so that a later copy that finds the mutex finds it too.
    platform_->raise = CreateEventW(nullptr, FALSE, FALSE, (base + L".raise").c_str());
    platform_->running = CreateMutexW(nullptr, TRUE, (base + L".running").c_str());
    if (!platform_->running || !platform_->raise) {
        engine::Log::warning("app", "the one-copy check failed: error " + std::to_string(GetLastError()));
        return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        platform_->first = true;
        return true;
    }
    // Only the process the user just started may hand the foreground on.
    AllowSetForegroundWindow(ASFW_ANY);
    if (!SetEvent(platform_->raise)) {
        engine::Log::warning("app",
                             "the first copy could not be asked: error " + std::to_string(GetLastError()));
        return true;
    }
    return false;
}

void SingleInstance::listen(std::function<void()> request) {
    if (!platform_->first || platform_->listener.joinable()) {
        return;
    }
    platform_->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!platform_->stop) {
        return;
    }
    platform_->listener =
        std::thread([stop = platform_->stop, raise = platform_->raise, request = std::move(request)] {
            const HANDLE events[] = {stop, raise};
            while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
                request();
            }
        });
}

void SingleInstance::stopListening() {
    if (!platform_->listener.joinable()) {
        return;
    }
    SetEvent(platform_->stop);
    platform_->listener.join();
    CloseHandle(platform_->stop);
    platform_->stop = nullptr;
}
