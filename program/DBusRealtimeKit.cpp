#include "program/DBusRealtimeKit.h"

#include <dbus/dbus.h>
#include <mutex>

namespace pavlune {

namespace {

constexpr const char* kService = "org.freedesktop.RealtimeKit1";
constexpr const char* kPath = "/org/freedesktop/RealtimeKit1";

// One method call and its reply; null when the call failed or was refused.
DBusMessage* call(DBusConnection* connection, DBusMessage* message) {
    if (!message) {
        return nullptr;
    }
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply = dbus_connection_send_with_reply_and_block(connection, message,
                                                                   DBusRealtimeKit::kReplyTimeoutMs, &error);
    dbus_error_free(&error);
    dbus_message_unref(message);
    return reply;
}

} // namespace

DBusRealtimeKit::~DBusRealtimeKit() {
    if (connection_) {
        dbus_connection_close(connection_);
        dbus_connection_unref(connection_);
    }
}

bool DBusRealtimeKit::connect() {
    if (connectTried_) {
        return connection_ != nullptr;
    }
    connectTried_ = true;
    // Transfers of several editors' workers may connect at once.
    static std::once_flag threads;
    std::call_once(threads, [] { dbus_threads_init_default(); });
    DBusError error;
    dbus_error_init(&error);
    connection_ = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
    dbus_error_free(&error);
    if (connection_) {
        // libdbus would end the whole process when the bus goes away.
        dbus_connection_set_exit_on_disconnect(connection_, FALSE);
    }
    return connection_ != nullptr;
}

bool DBusRealtimeKit::readNumber(const char* property, long long& value) {
    DBusMessage* get = dbus_message_new_method_call(kService, kPath, DBUS_INTERFACE_PROPERTIES, "Get");
    const char* interface = kService;
    if (get && !dbus_message_append_args(get, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property,
                                         DBUS_TYPE_INVALID)) {
        dbus_message_unref(get);
        return false;
    }
    DBusMessage* reply = call(connection_, get);
    if (!reply) {
        return false;
    }
    bool read = false;
    DBusMessageIter arguments;
    DBusMessageIter variant;
    if (dbus_message_iter_init(reply, &arguments) &&
        dbus_message_iter_get_arg_type(&arguments) == DBUS_TYPE_VARIANT) {
        dbus_message_iter_recurse(&arguments, &variant);
        // RTTimeUSecMax is an int64, MaxRealtimePriority an int32; take either.
        if (dbus_message_iter_get_arg_type(&variant) == DBUS_TYPE_INT64) {
            dbus_int64_t number = 0;
            dbus_message_iter_get_basic(&variant, &number);
            value = static_cast<long long>(number);
            read = true;
        } else if (dbus_message_iter_get_arg_type(&variant) == DBUS_TYPE_INT32) {
            dbus_int32_t number = 0;
            dbus_message_iter_get_basic(&variant, &number);
            value = number;
            read = true;
        }
    }
    dbus_message_unref(reply);
    return read;
}

bool DBusRealtimeKit::readLimits(Limits& limits) {
    long long priority = 0;
    long long rtTime = 0;
    if (!connect() || !readNumber("MaxRealtimePriority", priority) || !readNumber("RTTimeUSecMax", rtTime)) {
        return false;
    }
    limits.maxPriority = static_cast<int>(priority);
    limits.rtTimeMicrosMax = rtTime;
    return true;
}

bool DBusRealtimeKit::makeThreadRealtime(std::uint64_t thread, std::uint32_t priority) {
    if (!connect()) {
        return false;
    }
    DBusMessage* make = dbus_message_new_method_call(kService, kPath, kService, "MakeThreadRealtime");
    const dbus_uint64_t threadArgument = thread;
    const dbus_uint32_t priorityArgument = priority;
    if (make && !dbus_message_append_args(make, DBUS_TYPE_UINT64, &threadArgument, DBUS_TYPE_UINT32,
                                          &priorityArgument, DBUS_TYPE_INVALID)) {
        dbus_message_unref(make);
        return false;
    }
    DBusMessage* reply = call(connection_, make);
    if (!reply) {
        return false;
    }
    dbus_message_unref(reply);
    return true;
}

} // namespace pavlune
