#include "app/SingleInstance.h"
#include "engine/base/Log.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>

struct SingleInstance::Platform {
    int socket = -1;
    int stop = -1; // an eventfd that ends the listener
    std::thread listener;
};

namespace {

// "\0<name>-<uid>": an abstract name, no file to leave behind.
socklen_t abstractAddress(const std::string& name, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::string path = name + "-" + std::to_string(getuid());
    const std::size_t length = std::min(path.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, path.data(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

} // namespace

SingleInstance::SingleInstance(std::string name)
    : name_(std::move(name)), platform_(std::make_unique<Platform>()) {}

SingleInstance::~SingleInstance() {
    stopListening();
    if (platform_->socket >= 0) {
        close(platform_->socket);
    }
}

bool SingleInstance::claim() {
    sockaddr_un address{};
    const socklen_t length = abstractAddress(name_, address);
    const int own = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (own < 0) {
        engine::Log::warning("app", std::string("no socket for the one-copy check: ") + std::strerror(errno));
        return true;
    }
    if (bind(own, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(own, 4) == 0) {
        platform_->socket = own;
        return true;
    }
    const int bindError = errno;
    close(own);
    const int other = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const char request = 'R';
    const bool asked = other >= 0 &&
                       connect(other, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                       send(other, &request, 1, MSG_NOSIGNAL) == 1;
    if (other >= 0) {
        close(other);
    }
    if (!asked) {
        engine::Log::warning("app", std::string("the one-copy check failed: ") + std::strerror(bindError));
    }
    return !asked;
}

void SingleInstance::listen(std::function<void()> request) {
    if (platform_->socket < 0 || platform_->listener.joinable()) {
        return;
    }
    platform_->stop = eventfd(0, EFD_CLOEXEC);
    if (platform_->stop < 0) {
        return;
    }
    platform_->listener =
        std::thread([socket = platform_->socket, stop = platform_->stop, request = std::move(request)] {
            for (;;) {
                pollfd watched[] = {{stop, POLLIN, 0}, {socket, POLLIN, 0}};
                if (poll(watched, 2, -1) < 0) {
                    if (errno == EINTR) {
                        continue;
                    }
                    return;
                }
                if (watched[0].revents != 0) {
                    return;
                }
                const int caller = accept4(socket, nullptr, nullptr, SOCK_CLOEXEC); // none waiting: EAGAIN
                if (caller < 0) {
                    continue;
                }
                char byte = 0;
                // The later copy sends its byte right after connecting; a
                // connection that sends nothing asks for nothing.
                pollfd answer{caller, POLLIN, 0};
                if (poll(&answer, 1, 1000) == 1 && recv(caller, &byte, 1, 0) == 1) {
                    request();
                }
                close(caller);
            }
        });
}

void SingleInstance::stopListening() {
    if (!platform_->listener.joinable()) {
        return;
    }
    const std::uint64_t one = 1;
    if (write(platform_->stop, &one, sizeof one) != sizeof one) {
        engine::Log::warning("app", "the one-copy listener could not be told to stop");
    }
    platform_->listener.join();
    close(platform_->stop);
    platform_->stop = -1;
}
