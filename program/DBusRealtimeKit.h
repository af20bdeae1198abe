#pragma once

#include "program/RealtimeKit.h"

struct DBusConnection;

namespace pavlune {

// RealtimeKit (org.freedesktop.RealtimeKit1) on the system bus, through
// libdbus. Connects on the first question, on a private connection that this
// object closes; every call waits at most kReplyTimeoutMs. Use on one thread.
class DBusRealtimeKit : public RealtimeKit {
public:
    static constexpr int kReplyTimeoutMs = 1000;

    DBusRealtimeKit() = default;
    DBusRealtimeKit(const DBusRealtimeKit&) = delete;
    DBusRealtimeKit& operator=(const DBusRealtimeKit&) = delete;
    ~DBusRealtimeKit() override;

    bool readLimits(Limits& limits) override;
    bool makeThreadRealtime(std::uint64_t thread, std::uint32_t priority) override;

private:
    bool connect();
    bool readNumber(const char* property, long long& value);

    DBusConnection* connection_ = nullptr;
    bool connectTried_ = false;
};

} // namespace pavlune
