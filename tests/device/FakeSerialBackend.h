#pragma once

#include "device/SerialBackend.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pavlune {

// A serial backend whose enumeration and port are scripted by the test. Its
// state lives in a shared Script so the test keeps a handle after handing the
// backend to a manager.
class FakeSerialBackend : public SerialBackend {
public:
    struct Script {
        std::mutex mutex;
        bool enumerationSucceeds = true;
        std::vector<SerialPortInfo> present;
        std::vector<std::string> openable; // names that open; empty means every name
        PortOpenError refusal{PortOpenError::Kind::busy, "scripted refusal"}; // for the others
        std::vector<std::string> opens;                                       // every open attempt, in order
        std::string openName; // the open port, empty when none
        int closes = 0;
        // Decides per write (by its 0-based number) whether it succeeds.
        std::function<bool(std::size_t)> writeSucceeds;
        PortWriteError writeFailure = PortWriteError::fromErrno(EIO); // what a refused write answers
        std::size_t writeAttempts = 0;
        std::string written; // the bytes that were written successfully
        // Called after every write attempt with the byte and the result.
        std::function<void(std::uint8_t, bool)> onWrite;
        // What the board sends back: handed out once by readWaiting.
        std::string answer;
        // Called at the start of every enumeration, without the lock.
        std::function<void()> onEnumerate;
    };

    explicit FakeSerialBackend(std::shared_ptr<Script> script) : script_(std::move(script)) {}

    bool enumeratePorts(std::vector<SerialPortInfo>& found) override {
        std::function<void()> onEnumerate;
        {
            std::lock_guard lock(script_->mutex);
            onEnumerate = script_->onEnumerate;
        }
        if (onEnumerate) {
            onEnumerate();
        }
        std::lock_guard lock(script_->mutex);
        found.insert(found.end(), script_->present.begin(), script_->present.end());
        return script_->enumerationSucceeds;
    }

    PortOpenError openPort(const std::string& name) override {
        std::lock_guard lock(script_->mutex);
        closeLocked();
        script_->opens.push_back(name);
        bool allowed = script_->openable.empty();
        for (const std::string& openable : script_->openable) {
            allowed = allowed || openable == name;
        }
        if (!allowed) {
            return script_->refusal;
        }
        script_->openName = name;
        return {};
    }

    PortWriteError writeByte(std::uint8_t byte) override {
        PortWriteError error;
        std::function<void(std::uint8_t, bool)> onWrite;
        {
            std::lock_guard lock(script_->mutex);
            const std::size_t attempt = script_->writeAttempts++;
            if (script_->openName.empty()) {
                error = {PortWriteError::Kind::notOpen, "", {}};
            } else if (script_->writeSucceeds && !script_->writeSucceeds(attempt)) {
                error = script_->writeFailure;
            } else {
                script_->written.push_back(static_cast<char>(byte));
            }
            onWrite = script_->onWrite;
        }
        if (onWrite) {
            onWrite(byte, error.ok());
        }
        return error;
    }

    std::string readWaiting(std::size_t limit) override {
        std::lock_guard lock(script_->mutex);
        if (script_->openName.empty()) {
            return {};
        }
        std::string part = script_->answer.substr(0, limit);
        script_->answer.erase(0, part.size());
        return part;
    }

    void closePort() override {
        std::lock_guard lock(script_->mutex);
        closeLocked();
    }

private:
    void closeLocked() {
        if (!script_->openName.empty()) {
            ++script_->closes;
            script_->openName.clear();
        }
    }

    std::shared_ptr<Script> script_;
};

} // namespace pavlune
