// The desktop portal's file chooser, asked on a private session bus where a
// fake portal, written here with libdbus, answers as the real one does.
#include "engine/platform/PortalFileChooser.h"

#include "engine/platform/HeadlessDriver.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dbus/dbus.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

using engine::FileChoice;
using engine::PortalFileChooser;

namespace {

constexpr const char* kService = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";

// A session bus of the test's own: dbus-daemon, stopped when the test ends.
// It starts no services, so a portal installed on the machine never answers.
class PrivateBus {
public:
    PrivateBus() {
        char config[] = "/tmp/pavlune-bus-XXXXXX";
        const int file = mkstemp(config);
        if (file < 0) {
            return;
        }
        config_ = config;
        const std::string text =
            "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
            "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
            "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>";
        const bool written = write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        close(file);
        // Its address and its process id, a line each.
        const std::string command =
            "dbus-daemon --nofork --nopidfile --print-address=1 --print-pid=1 --config-file=" + config_;
        daemon_ = written ? popen(command.c_str(), "r") : nullptr;
        char address[512] = {};
        char pid[32] = {};
        if (daemon_ && std::fgets(address, sizeof address, daemon_) && std::fgets(pid, sizeof pid, daemon_)) {
            address_ = address;
            address_.erase(address_.find_last_not_of("\r\n") + 1);
            pid_ = static_cast<pid_t>(std::atoi(pid));
        }
    }
    ~PrivateBus() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
        }
        if (daemon_) {
            pclose(daemon_);
        }
        if (!config_.empty()) {
            unlink(config_.c_str());
        }
    }
    const std::string& address() const { return address_; }

private:
    FILE* daemon_ = nullptr;
    pid_t pid_ = -1;
    std::string config_;
    std::string address_;
};

// How the fake portal answers the next question.
struct Script {
    dbus_uint32_t code = 0;
    std::string uri;
    bool ownPath = false; // answer on a path of its own, as older portals did
    bool leave = false;   // give up its name instead of answering
    bool silent = false;  // never answer
};

// What the fake portal was asked.
struct Asked {
    std::string method;
    std::string title;
    std::string currentName;
    std::string filterPattern;
    bool closed = false; // the request was closed by the asker
};

class FakePortal {
public:
    FakePortal(const std::string& address, Script script) : script_(std::move(script)) {
        DBusError error;
        dbus_error_init(&error);
        connection_ = dbus_connection_open_private(address.c_str(), &error);
        if (connection_ && dbus_bus_register(connection_, &error)) {
            dbus_bus_request_name(connection_, kService, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error);
        }
        dbus_error_free(&error);
        thread_ = std::thread([this] { serve(); });
    }
    ~FakePortal() {
        stop_ = true;
        thread_.join();
        if (connection_) {
            dbus_connection_close(connection_);
            dbus_connection_unref(connection_);
        }
    }
    Asked asked() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return asked_;
    }

private:
    void serve() {
        while (!stop_ && connection_ && dbus_connection_read_write(connection_, 20)) {
            while (DBusMessage* message = dbus_connection_pop_message(connection_)) {
                handle(message);
                dbus_message_unref(message);
            }
        }
    }

    void handle(DBusMessage* message) {
        if (dbus_message_is_method_call(message, "org.freedesktop.portal.Request", "Close")) {
            const std::lock_guard<std::mutex> lock(mutex_);
            asked_.closed = true;
            return;
        }
        const bool open =
            dbus_message_is_method_call(message, "org.freedesktop.portal.FileChooser", "OpenFile");
        const bool save =
            dbus_message_is_method_call(message, "org.freedesktop.portal.FileChooser", "SaveFile");
        if (!open && !save) {
            return;
        }
        std::string token;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            asked_.method = open ? "OpenFile" : "SaveFile";
            readArguments(message, token);
        }
        std::string sender = dbus_message_get_sender(message) + 1;
        for (char& c : sender) {
            c = c == '.' ? '_' : c;
        }
        const std::string path = script_.ownPath ? std::string(kPath) + "/request/elsewhere/1"
                                                 : std::string(kPath) + "/request/" + sender + "/" + token;
        DBusMessage* reply = dbus_message_new_method_return(message);
        const char* handle = path.c_str();
        dbus_message_append_args(reply, DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID);
        dbus_connection_send(connection_, reply, nullptr);
        dbus_message_unref(reply);
        if (script_.leave) {
            DBusError error;
            dbus_error_init(&error);
            dbus_bus_release_name(connection_, kService, &error);
            dbus_error_free(&error);
        } else if (!script_.silent) {
            respond(path);
        }
        dbus_connection_flush(connection_);
    }

    // (s parent, s title, a{sv} options): the title, the token, the proposed
    // name and the first filter's first pattern.
    void readArguments(DBusMessage* message, std::string& token) {
        DBusMessageIter arguments;
        dbus_message_iter_init(message, &arguments);
        const char* text = nullptr;
        dbus_message_iter_next(&arguments);
        dbus_message_iter_get_basic(&arguments, &text);
        asked_.title = text;
        dbus_message_iter_next(&arguments);
        DBusMessageIter options;
        dbus_message_iter_recurse(&arguments, &options);
        for (; dbus_message_iter_get_arg_type(&options) == DBUS_TYPE_DICT_ENTRY;
             dbus_message_iter_next(&options)) {
            DBusMessageIter entry;
            DBusMessageIter value;
            const char* key = nullptr;
            dbus_message_iter_recurse(&options, &entry);
            dbus_message_iter_get_basic(&entry, &key);
            dbus_message_iter_next(&entry);
            dbus_message_iter_recurse(&entry, &value);
            const std::string name = key;
            if (name == "filters") {
                // a(sa(us)): into the first filter's first (kind, pattern).
                DBusMessageIter filters;
                DBusMessageIter filter;
                DBusMessageIter patterns;
                DBusMessageIter pattern;
                dbus_message_iter_recurse(&value, &filters);
                dbus_message_iter_recurse(&filters, &filter);
                dbus_message_iter_next(&filter);
                dbus_message_iter_recurse(&filter, &patterns);
                dbus_message_iter_recurse(&patterns, &pattern);
                dbus_message_iter_next(&pattern);
                dbus_message_iter_get_basic(&pattern, &text);
                asked_.filterPattern = text;
            } else if (dbus_message_iter_get_arg_type(&value) == DBUS_TYPE_STRING) {
                dbus_message_iter_get_basic(&value, &text);
                (name == "handle_token"   ? token
                 : name == "current_name" ? asked_.currentName
                                          : ignored_) = text;
            }
        }
    }

    void respond(const std::string& path) {
        DBusMessage* signal =
            dbus_message_new_signal(path.c_str(), "org.freedesktop.portal.Request", "Response");
        DBusMessageIter arguments;
        DBusMessageIter results;
        dbus_message_iter_init_append(signal, &arguments);
        dbus_message_iter_append_basic(&arguments, DBUS_TYPE_UINT32, &script_.code);
        dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, "{sv}", &results);
        if (!script_.uri.empty()) {
            DBusMessageIter entry;
            DBusMessageIter variant;
            DBusMessageIter uris;
            const char* key = "uris";
            const char* uri = script_.uri.c_str();
            dbus_message_iter_open_container(&results, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
            dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
            dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "as", &variant);
            dbus_message_iter_open_container(&variant, DBUS_TYPE_ARRAY, "s", &uris);
            dbus_message_iter_append_basic(&uris, DBUS_TYPE_STRING, &uri);
            dbus_message_iter_close_container(&variant, &uris);
            dbus_message_iter_close_container(&entry, &variant);
            dbus_message_iter_close_container(&results, &entry);
        }
        dbus_message_iter_close_container(&arguments, &results);
        dbus_connection_send(connection_, signal, nullptr);
        dbus_message_unref(signal);
    }

    Script script_;
    DBusConnection* connection_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    Asked asked_;
    std::string ignored_;
};

class PortalFileChooserTest : public ::testing::Test {
protected:
    // libdbus reads the session bus's address once per process: one bus for
    // every test, on which each test's portal comes and goes.
    static void SetUpTestSuite() {
        bus_ = new PrivateBus();
        setenv("DBUS_SESSION_BUS_ADDRESS", bus_->address().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete bus_;
        bus_ = nullptr;
    }
    void SetUp() override {
        if (bus_->address().empty()) {
            GTEST_SKIP() << "dbus-daemon did not start";
        }
    }

    static PortalFileChooser::Question question(bool save) {
        PortalFileChooser::Question asked;
        asked.save = save;
        asked.title = "プログラムを かきだす";
        asked.fileName = "うさぎ.plist";
        asked.deadline = std::chrono::seconds(20);
        return asked;
    }

    static inline PrivateBus* bus_ = nullptr;
};

} // namespace

TEST_F(PortalFileChooserTest, TheUsersAnswerIsReadFromTheRequestsResponse) {
    using Outcome = FileChoice::Outcome;
    struct Case {
        const char* what;
        Script script;
        Outcome outcome;
        std::string path;
    };
    const Case cases[] = {
        {"a file, its name escaped in the URI",
         {0, "file:///home/hana/%E3%81%86%20a.plist"},
         Outcome::Chosen,
         "/home/hana/う a.plist"},
        {"the host named", {0, "file://localhost/tmp/b.plist"}, Outcome::Chosen, "/tmp/b.plist"},
        {"an older portal's own request path",
         {0, "file:///tmp/c.plist", true},
         Outcome::Chosen,
         "/tmp/c.plist"},
        {"cancelled", {1, ""}, Outcome::Cancelled, ""},
        {"ended by the portal", {2, ""}, Outcome::Failed, ""},
        {"no file in the results", {0, ""}, Outcome::Failed, ""},
        {"a file on another machine", {0, "file://school/c.plist"}, Outcome::Failed, ""},
        {"not a file", {0, "https://example.org/d.plist"}, Outcome::Failed, ""},
    };
    for (const Case& c : cases) {
        FakePortal portal(bus_->address(), c.script);
        const PortalFileChooser::Answer answer = PortalFileChooser::ask(question(false));
        EXPECT_EQ(answer.outcome, c.outcome) << c.what << ": " << answer.reason;
        EXPECT_EQ(answer.path, c.path) << c.what;
        EXPECT_EQ(portal.asked().method, "OpenFile") << c.what;
    }
}

TEST_F(PortalFileChooserTest, NoPortalOrOneThatGoesIsToldNotWaitedFor) {
    // Nobody owns the portal's name on this bus.
    const PortalFileChooser::Answer none = PortalFileChooser::ask(question(false));
    EXPECT_EQ(none.outcome, FileChoice::Outcome::Unavailable);
    EXPECT_NE(none.reason.find("portal"), std::string::npos) << none.reason;

    Script leaving;
    leaving.leave = true;
    FakePortal gone(bus_->address(), leaving);
    EXPECT_EQ(PortalFileChooser::ask(question(false)).outcome, FileChoice::Outcome::Failed);
}

TEST_F(PortalFileChooserTest, AChooserThatNeverAnswersIsClosedAtTheDeadline) {
    Script silent;
    silent.silent = true;
    FakePortal portal(bus_->address(), silent);
    PortalFileChooser::Question asked = question(false);
    asked.deadline = std::chrono::milliseconds(300);
    EXPECT_EQ(PortalFileChooser::ask(asked).outcome, FileChoice::Outcome::Failed);
    // The request is closed, so the dialog does not stay on the screen.
    for (int i = 0; i < 100 && !portal.asked().closed; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(portal.asked().closed);
}

TEST_F(PortalFileChooserTest, TheChosenFileIsWrittenAndReadOffTheFrameLoopAndToldOnIt) {
    engine::HeadlessDriver driver;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pavlune-portal-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "う a.plist").string();
    const std::string bytes = "<plist version=\"1.0\"><array/></plist>\n";
    PortalFileChooser chooser;
    const std::thread::id mainThread = std::this_thread::get_id();
    // Steps frames (the answer comes from a worker) until `done` was told.
    auto answered = [&](std::optional<FileChoice>& choice) {
        for (int frame = 0; frame < 500 && !choice; ++frame) {
            driver.step();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return choice.has_value();
    };

    FakePortal saving(bus_->address(), {0, "file://" + (folder / "%E3%81%86%20a.plist").string()});
    std::optional<FileChoice> saved;
    chooser.save("プログラムを かきだす", "うさぎ.plist", bytes, [&](const FileChoice& choice) {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        saved = choice;
    });
    EXPECT_TRUE(chooser.isAsking());
    ASSERT_TRUE(answered(saved));
    EXPECT_FALSE(chooser.isAsking());
    EXPECT_EQ(saved->outcome, FileChoice::Outcome::Chosen) << saved->reason;
    EXPECT_EQ(saved->name, "う a.plist");
    // The dialog was asked to propose the name and to offer program files.
    const Asked asked = saving.asked();
    EXPECT_EQ(asked.method, "SaveFile");
    EXPECT_EQ(asked.title, "プログラムを かきだす");
    EXPECT_EQ(asked.currentName, "うさぎ.plist");
    EXPECT_EQ(asked.filterPattern, "*.plist");
    std::ostringstream written;
    written << std::ifstream(file, std::ios::binary).rdbuf();
    EXPECT_EQ(written.str(), bytes);

    std::optional<FileChoice> opened;
    chooser.open("t", [&](const FileChoice& choice) { opened = choice; });
    ASSERT_TRUE(answered(opened));
    EXPECT_EQ(opened->outcome, FileChoice::Outcome::Chosen) << opened->reason;
    EXPECT_EQ(opened->bytes, bytes);
    std::filesystem::remove_all(folder);
}
