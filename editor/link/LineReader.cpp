#include "editor/link/LineReader.h"

#include "engine/base/Log.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

LineReader::LineReader(int fd, engine::Scheduler* scheduler, std::function<void(const std::string&)> onLine,
                       std::function<void()> onEnd)
    : handlers_(std::make_shared<Handlers>(Handlers{std::move(onLine), std::move(onEnd)})),
      scheduler_(scheduler), stop_(eventfd(0, EFD_CLOEXEC)) {
    if (stop_ < 0) {
        engine::Log::error("link", std::string("eventfd: ") + std::strerror(errno));
        return; // nothing is read: no line can light anything
    }
    thread_ =
        std::thread([this, fd, handlers = std::weak_ptr<Handlers>(handlers_)] { readLines(fd, handlers); });
}

LineReader::~LineReader() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        if (write(stop_, &one, sizeof one) != sizeof one) {
            engine::Log::error("link", std::string("eventfd write: ") + std::strerror(errno));
        }
        thread_.join();
    }
    if (stop_ >= 0) {
        close(stop_);
    }
}

void LineReader::readLines(int fd, const std::weak_ptr<Handlers>& handlers) {
    std::string pending;
    std::array<char, 512> buffer{};
    for (;;) {
        std::array<pollfd, 2> ready{pollfd{fd, POLLIN, 0}, pollfd{stop_, POLLIN, 0}};
        if (poll(ready.data(), ready.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (ready[1].revents != 0) {
            return; // stopped by the main thread, which no longer listens
        }
        const ssize_t count = read(fd, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break; // the writer closed its end (or the descriptor failed): the output has ended
        }
        pending.append(buffer.data(), static_cast<std::size_t>(count));
        for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            post(handlers, [line = pending.substr(0, end)](Handlers& called) {
                if (called.onLine) {
                    called.onLine(line);
                }
            });
            pending.erase(0, end + 1);
        }
    }
    post(handlers, [](Handlers& called) {
        if (called.onEnd) {
            called.onEnd();
        }
    });
}

void LineReader::post(const std::weak_ptr<Handlers>& handlers, std::function<void(Handlers&)> call) {
    scheduler_->performFunctionInCocosThread([handlers, call = std::move(call)] {
        if (const std::shared_ptr<Handlers> alive = handlers.lock()) {
            call(*alive);
        }
    });
}
