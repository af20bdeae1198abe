#include "program/DBusRealtimeKit.h"

#include <atomic>
#include <cstdlib>
#include <dbus/dbus.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace pavlune;

namespace {

constexpr const char* kName = "org.freedesktop.RealtimeKit1";

// A private message bus in a folder of its own; the system bus for this
// process while it lives. libdbus reads the bus's address once per process,
// so the tests share one.
class PrivateBus {
public:
    PrivateBus() {
        char pattern[] = "/tmp/pavlune-bus-XXXXXX";
        if (!mkdtemp(pattern)) {
            return;
        }
        folder_ = pattern;
        const std::string config = folder_ + "/bus.conf";
        std::ofstream(config)
            << "<busconfig><type>session</type><listen>unix:path=" << folder_
            << "/socket</listen><auth>EXTERNAL</auth><policy context=\"default\">"
               "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
               "<allow own=\"*\"/></policy></busconfig>\n";
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) {
            return;
        }
        const std::string printTo = "--print-address=" + std::to_string(pipeEnds[1]);
        const std::string configOption = "--config-file=" + config;
        char* argv[] = {const_cast<char*>("dbus-daemon"), const_cast<char*>(configOption.c_str()),
                        const_cast<char*>("--nofork"), const_cast<char*>(printTo.c_str()), nullptr};
        // Its complaints (a file limit it may not raise) are not the test's.
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&daemon_, "dbus-daemon", &quiet, nullptr, argv, environ) != 0) {
            daemon_ = 0;
        }
        posix_spawn_file_actions_destroy(&quiet);
        close(pipeEnds[1]);
        // The daemon prints its address once it listens.
        char buffer[512];
        const ssize_t length = daemon_ ? read(pipeEnds[0], buffer, sizeof buffer - 1) : 0;
        close(pipeEnds[0]);
        if (length > 0) {
            address_.assign(buffer, static_cast<std::size_t>(length));
            address_.erase(address_.find_last_not_of('\n') + 1);
            setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
        }
    }
    ~PrivateBus() {
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        if (daemon_ > 0) {
            kill(daemon_, SIGTERM);
            waitpid(daemon_, nullptr, 0);
        }
        if (!folder_.empty()) {
            std::filesystem::remove_all(folder_);
        }
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return address_; }

private:
    std::string folder_;
    std::string address_;
    pid_t daemon_ = 0;
};

// The broker's side on the bus: answers its two properties and the call that
// makes a thread real-time, and notes what that call carried.
class FakeBroker {
public:
    explicit FakeBroker(const std::string& address, bool grants) : grants_(grants) {
        DBusError error;
        dbus_error_init(&error);
        connection_ = dbus_connection_open_private(address.c_str(), &error);
        if (connection_ && (!dbus_bus_register(connection_, &error) ||
                            dbus_bus_request_name(connection_, kName, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
                                DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER)) {
            dbus_connection_close(connection_);
            dbus_connection_unref(connection_);
            connection_ = nullptr;
        }
        dbus_error_free(&error);
        if (connection_) {
            serving_ = std::thread([this] { serve(); });
        }
    }
    ~FakeBroker() {
        stop_ = true;
        if (serving_.joinable()) {
            serving_.join();
        }
        if (connection_) {
            // Given back before the next broker of the test asks for it.
            dbus_bus_release_name(connection_, kName, nullptr);
            dbus_connection_close(connection_);
            dbus_connection_unref(connection_);
        }
    }
    FakeBroker(const FakeBroker&) = delete;
    FakeBroker& operator=(const FakeBroker&) = delete;

    bool ready() const { return connection_ != nullptr; }

    std::string signature;
    dbus_uint64_t thread = 0;
    dbus_uint32_t priority = 0;

private:
    void serve() {
        while (!stop_ && dbus_connection_read_write(connection_, 20)) {
            while (DBusMessage* message = dbus_connection_pop_message(connection_)) {
                answer(message);
                dbus_message_unref(message);
            }
        }
    }

    void answer(DBusMessage* message) {
        DBusMessage* reply = nullptr;
        const char* interface = nullptr;
        const char* property = nullptr;
        if (dbus_message_is_method_call(message, DBUS_INTERFACE_PROPERTIES, "Get") &&
            dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property,
                                  DBUS_TYPE_INVALID) &&
            std::string(interface) == kName) {
            reply = propertyReply(message, property);
        } else if (dbus_message_is_method_call(message, kName, "MakeThreadRealtime")) {
            signature = dbus_message_get_signature(message);
            dbus_message_get_args(message, nullptr, DBUS_TYPE_UINT64, &thread, DBUS_TYPE_UINT32, &priority,
                                  DBUS_TYPE_INVALID);
            reply = grants_ ? dbus_message_new_method_return(message)
                            : dbus_message_new_error(message, DBUS_ERROR_ACCESS_DENIED, "refused");
        } else if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_METHOD_CALL) {
            reply = dbus_message_new_error(message, DBUS_ERROR_UNKNOWN_METHOD, "unknown");
        }
        if (reply) {
            dbus_connection_send(connection_, reply, nullptr);
            dbus_message_unref(reply);
        }
    }

    // The broker's own types: MaxRealtimePriority int32, RTTimeUSecMax int64.
    static DBusMessage* propertyReply(DBusMessage* call, const std::string& property) {
        if (property != "MaxRealtimePriority" && property != "RTTimeUSecMax") {
            return dbus_message_new_error(call, DBUS_ERROR_UNKNOWN_PROPERTY, "unknown");
        }
        DBusMessage* reply = dbus_message_new_method_return(call);
        DBusMessageIter arguments;
        DBusMessageIter variant;
        dbus_message_iter_init_append(reply, &arguments);
        if (property == "MaxRealtimePriority") {
            const dbus_int32_t value = 17;
            dbus_message_iter_open_container(&arguments, DBUS_TYPE_VARIANT, DBUS_TYPE_INT32_AS_STRING,
                                             &variant);
            dbus_message_iter_append_basic(&variant, DBUS_TYPE_INT32, &value);
        } else {
            const dbus_int64_t value = 5'000'000'000LL; // beyond 32 bits
            dbus_message_iter_open_container(&arguments, DBUS_TYPE_VARIANT, DBUS_TYPE_INT64_AS_STRING,
                                             &variant);
            dbus_message_iter_append_basic(&variant, DBUS_TYPE_INT64, &value);
        }
        dbus_message_iter_close_container(&arguments, &variant);
        return reply;
    }

    DBusConnection* connection_ = nullptr;
    bool grants_;
    std::atomic<bool> stop_{false};
    std::thread serving_;
};

class DBusRealtimeKitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bus = new PrivateBus(); }
    static void TearDownTestSuite() {
        delete bus;
        bus = nullptr;
    }
    void SetUp() override {
        if (bus->address().empty()) {
            GTEST_SKIP() << "no dbus-daemon to run a private bus";
        }
    }

    static inline PrivateBus* bus = nullptr;
};

// Catches a misspelt property or interface, a value read in the wrong width,
// the call's arguments in the wrong types (the broker then rejects the call)
// and a refusal taken for a grant.
TEST_F(DBusRealtimeKitTest, ReadsTheLimitsAndAsksWithTheBrokersTypes) {
    for (const bool grants : {true, false}) {
        SCOPED_TRACE(grants ? "granted" : "refused");
        FakeBroker broker(bus->address(), grants);
        ASSERT_TRUE(broker.ready());
        DBusRealtimeKit kit;
        RealtimeKit::Limits limits;
        ASSERT_TRUE(kit.readLimits(limits));
        EXPECT_EQ(limits.maxPriority, 17);
        EXPECT_EQ(limits.rtTimeMicrosMax, 5'000'000'000LL);
        EXPECT_EQ(kit.makeThreadRealtime(123'456'789'012ULL, 3), grants);
        EXPECT_EQ(broker.signature, "tu");
        EXPECT_EQ(broker.thread, 123'456'789'012ULL);
        EXPECT_EQ(broker.priority, 3U);
    }
}

// Catches a kit that reports limits or a grant without a broker to ask.
TEST_F(DBusRealtimeKitTest, WithoutABrokerOnTheBusNothingIsGranted) {
    DBusRealtimeKit kit;
    RealtimeKit::Limits limits;
    EXPECT_FALSE(kit.readLimits(limits));
    EXPECT_FALSE(kit.makeThreadRealtime(1, 1));
}

} // namespace
