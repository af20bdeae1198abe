#pragma once

#include "device/SerialBackend.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

// The platform's serial backend with the moment each byte's write returned
// noted: what the sending thread achieved, before the kernel's own delivery
// to the other end adds its delay.
class TimedSerialBackend : public pavlune::SerialBackend {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit TimedSerialBackend(std::unique_ptr<pavlune::SerialBackend> inner) : inner_(std::move(inner)) {}

    bool enumeratePorts(std::vector<pavlune::SerialPortInfo>& found) override {
        return inner_->enumeratePorts(found);
    }
    pavlune::PortOpenError openPort(const std::string& name) override { return inner_->openPort(name); }
    pavlune::PortWriteError writeByte(std::uint8_t byte) override;
    void closePort() override { inner_->closePort(); }

    // The return of every successful write so far (any thread).
    std::vector<TimePoint> writeTimes() const;
    // The scheduling policy of the thread that wrote last, as
    // sched_getscheduler gives it (-1 before the first write).
    int lastWriterPolicy() const;

private:
    std::unique_ptr<pavlune::SerialBackend> inner_;
    mutable std::mutex mutex_;
    std::vector<TimePoint> writeTimes_;
    int lastWriterPolicy_ = -1;
};
