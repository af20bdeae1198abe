#include "engine/platform/PortalFileChooser.h"

#include "engine/2d/Director.h"
#include "engine/base/Log.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/GLView.h"
#include "engine/platform/Worker.h"

#include <SDL_syswm.h>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <dbus/dbus.h>
#include <memory>
#include <mutex>
#include <string_view>
#include <unistd.h>

namespace engine {

namespace {

constexpr const char* kService = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";
constexpr const char* kInterface = "org.freedesktop.portal.FileChooser";
constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
// Program files and class files are both property lists.
constexpr const char* kFilterName = "PavluneCards";
constexpr const char* kFilterPattern = "*.plist";
// How long one wait for a message lasts before the deadline is looked at again.
constexpr int kPollMs = 250;

struct ConnectionCloser {
    void operator()(DBusConnection* connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionCloser>;

struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

PortalFileChooser::Answer refused(FileChoice::Outcome outcome, std::string reason) {
    PortalFileChooser::Answer answer;
    answer.outcome = outcome;
    answer.reason = std::move(reason);
    return answer;
}

void appendString(DBusMessageIter* into, const std::string& text) {
    const char* value = text.c_str();
    dbus_message_iter_append_basic(into, DBUS_TYPE_STRING, &value);
}

// One entry of the options' a{sv}, its variant filled by `fill`.
template <typename Fill>
void appendOption(DBusMessageIter* options, const char* key, const char* signature, Fill fill) {
    DBusMessageIter entry;
    DBusMessageIter variant;
    dbus_message_iter_open_container(options, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
    dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant);
    fill(&variant);
    dbus_message_iter_close_container(&entry, &variant);
    dbus_message_iter_close_container(options, &entry);
}

// filters: a(sa(us)), one filter of one glob (kind 0).
void appendFilter(DBusMessageIter* variant) {
    DBusMessageIter filters;
    DBusMessageIter filter;
    DBusMessageIter patterns;
    DBusMessageIter pattern;
    dbus_message_iter_open_container(variant, DBUS_TYPE_ARRAY, "(sa(us))", &filters);
    dbus_message_iter_open_container(&filters, DBUS_TYPE_STRUCT, nullptr, &filter);
    appendString(&filter, kFilterName);
    dbus_message_iter_open_container(&filter, DBUS_TYPE_ARRAY, "(us)", &patterns);
    dbus_message_iter_open_container(&patterns, DBUS_TYPE_STRUCT, nullptr, &pattern);
    const dbus_uint32_t glob = 0;
    dbus_message_iter_append_basic(&pattern, DBUS_TYPE_UINT32, &glob);
    appendString(&pattern, kFilterPattern);
    dbus_message_iter_close_container(&patterns, &pattern);
    dbus_message_iter_close_container(&filter, &patterns);
    dbus_message_iter_close_container(&filters, &filter);
    dbus_message_iter_close_container(variant, &filters);
}

Message makeCall(const PortalFileChooser::Question& question, const std::string& token) {
    Message call(
        dbus_message_new_method_call(kService, kPath, kInterface, question.save ? "SaveFile" : "OpenFile"));
    if (!call) {
        return nullptr;
    }
    DBusMessageIter arguments;
    DBusMessageIter options;
    dbus_message_iter_init_append(call.get(), &arguments);
    appendString(&arguments, question.parentWindow);
    appendString(&arguments, question.title);
    dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, "{sv}", &options);
    appendOption(&options, "handle_token", "s", [&](DBusMessageIter* v) { appendString(v, token); });
    appendOption(&options, "modal", "b", [](DBusMessageIter* v) {
        const dbus_bool_t yes = TRUE;
        dbus_message_iter_append_basic(v, DBUS_TYPE_BOOLEAN, &yes);
    });
    if (question.save) {
        appendOption(&options, "current_name", "s",
                     [&](DBusMessageIter* v) { appendString(v, question.fileName); });
    }
    appendOption(&options, "filters", "a(sa(us))", appendFilter);
    dbus_message_iter_close_container(&arguments, &options);
    return call;
}

// The request object the portal will answer on: its path is made of our
// name on the bus and our token.
std::string requestPath(DBusConnection* connection, const std::string& token) {
    std::string sender = dbus_bus_get_unique_name(connection);
    sender.erase(0, sender.find_first_not_of(':'));
    for (char& c : sender) {
        c = c == '.' ? '_' : c;
    }
    return std::string(kPath) + "/request/" + sender + "/" + token;
}

void addMatch(DBusConnection* connection, const std::string& rule) {
    DBusError error;
    dbus_error_init(&error);
    dbus_bus_add_match(connection, rule.c_str(), &error);
    dbus_error_free(&error);
}

// Response(u code, a{sv} results): the first of results' "uris".
PortalFileChooser::Answer readResponse(DBusMessage* signal) {
    DBusMessageIter arguments;
    dbus_uint32_t code = 2;
    if (!dbus_message_iter_init(signal, &arguments) ||
        dbus_message_iter_get_arg_type(&arguments) != DBUS_TYPE_UINT32) {
        return refused(FileChoice::Outcome::Failed, "the portal's answer has no response code");
    }
    dbus_message_iter_get_basic(&arguments, &code);
    if (code == 1) {
        return refused(FileChoice::Outcome::Cancelled, {});
    }
    if (code != 0) {
        return refused(FileChoice::Outcome::Failed,
                       "the portal ended the request (" + std::to_string(code) + ")");
    }
    DBusMessageIter results;
    if (!dbus_message_iter_next(&arguments) ||
        dbus_message_iter_get_arg_type(&arguments) != DBUS_TYPE_ARRAY) {
        return refused(FileChoice::Outcome::Failed, "the portal's answer has no results");
    }
    dbus_message_iter_recurse(&arguments, &results);
    for (; dbus_message_iter_get_arg_type(&results) == DBUS_TYPE_DICT_ENTRY;
         dbus_message_iter_next(&results)) {
        DBusMessageIter entry;
        DBusMessageIter variant;
        DBusMessageIter uris;
        const char* key = nullptr;
        dbus_message_iter_recurse(&results, &entry);
        dbus_message_iter_get_basic(&entry, &key);
        if (std::string(key) != "uris" || !dbus_message_iter_next(&entry)) {
            continue;
        }
        dbus_message_iter_recurse(&entry, &variant);
        if (dbus_message_iter_get_arg_type(&variant) != DBUS_TYPE_ARRAY) {
            break;
        }
        dbus_message_iter_recurse(&variant, &uris);
        if (dbus_message_iter_get_arg_type(&uris) != DBUS_TYPE_STRING) {
            break;
        }
        const char* uri = nullptr;
        dbus_message_iter_get_basic(&uris, &uri);
        PortalFileChooser::Answer answer;
        answer.path = PortalFileChooser::pathOfUri(uri);
        if (answer.path.empty()) {
            return refused(FileChoice::Outcome::Failed, std::string("not a local file: ") + uri);
        }
        answer.outcome = FileChoice::Outcome::Chosen;
        return answer;
    }
    return refused(FileChoice::Outcome::Failed, "the portal's answer names no file");
}

bool portalLeft(DBusMessage* message) {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    return dbus_message_is_signal(message, DBUS_INTERFACE_DBUS, "NameOwnerChanged") &&
           dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &oldOwner,
                                 DBUS_TYPE_STRING, &newOwner, DBUS_TYPE_INVALID) &&
           std::string(name) == kService && *newOwner == '\0';
}

void closeRequest(DBusConnection* connection, const std::string& path) {
    if (DBusMessage* close =
            dbus_message_new_method_call(kService, path.c_str(), kRequestInterface, "Close")) {
        dbus_message_set_no_reply(close, TRUE);
        dbus_connection_send(connection, close, nullptr);
        dbus_connection_flush(connection);
        dbus_message_unref(close);
    }
}

// The editor's window as the portal names a parent, so that the dialog
// stands over it (X11 only; elsewhere the dialog stands alone).
std::string parentWindow() {
    GLView* view = Director::getInstance()->getOpenGLView();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!view || !view->getWindow() || !SDL_GetWindowWMInfo(view->getWindow(), &info) ||
        info.subsystem != SDL_SYSWM_X11) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "x11:%lx", static_cast<unsigned long>(info.info.x11.window));
    return text;
}

} // namespace

std::string PortalFileChooser::pathOfUri(const std::string& uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.compare(0, kScheme.size(), kScheme) != 0) {
        return {};
    }
    std::size_t start = kScheme.size();
    if (uri.compare(start, 9, "localhost") == 0) {
        start += 9;
    }
    if (start >= uri.size() || uri[start] != '/') {
        return {}; // another machine's file
    }
    std::string path;
    for (std::size_t i = start; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
            path += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

PortalFileChooser::Answer PortalFileChooser::ask(const Question& question) {
    static std::once_flag threads;
    std::call_once(threads, [] { dbus_threads_init_default(); });
    DBusError error;
    dbus_error_init(&error);
    Connection connection(dbus_bus_get_private(DBUS_BUS_SESSION, &error));
    if (!connection) {
        Answer answer = refused(FileChoice::Outcome::Unavailable,
                                std::string("no session bus: ") + (error.message ? error.message : "?"));
        dbus_error_free(&error);
        return answer;
    }
    // libdbus would end the whole process when the bus goes away.
    dbus_connection_set_exit_on_disconnect(connection.get(), FALSE);

    static std::atomic<unsigned> requests{0};
    const std::string token = "pavlune" + std::to_string(getpid()) + "_" + std::to_string(++requests);
    std::string path = requestPath(connection.get(), token);
    // Every answer is heard (and told apart by its path below), so that one
    // on a path the portal chose itself is not lost before a match for it.
    addMatch(connection.get(),
             std::string("type='signal',interface='") + kRequestInterface + "',member='Response'");
    addMatch(connection.get(), std::string("type='signal',sender='") + DBUS_SERVICE_DBUS +
                                   "',member='NameOwnerChanged',arg0='" + kService + "'");

    Message call = makeCall(question, token);
    if (!call) {
        return refused(FileChoice::Outcome::Failed, "out of memory");
    }
    Message reply(
        dbus_connection_send_with_reply_and_block(connection.get(), call.get(), kCallTimeoutMs, &error));
    if (!reply) {
        Answer answer = refused(FileChoice::Outcome::Unavailable,
                                std::string("no desktop portal: ") + (error.message ? error.message : "?"));
        dbus_error_free(&error);
        return answer;
    }
    const char* handle = nullptr;
    if (dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID) &&
        path != handle) {
        path = handle; // an older portal's own
    }

    const auto deadline = std::chrono::steady_clock::now() + question.deadline;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!dbus_connection_read_write(connection.get(), kPollMs)) {
            return refused(FileChoice::Outcome::Failed, "the session bus closed");
        }
        while (Message message{dbus_connection_pop_message(connection.get())}) {
            if (dbus_message_is_signal(message.get(), kRequestInterface, "Response") &&
                path == dbus_message_get_path(message.get())) {
                return readResponse(message.get());
            }
            if (portalLeft(message.get())) {
                return refused(FileChoice::Outcome::Failed, "the desktop portal stopped");
            }
        }
    }
    closeRequest(connection.get(), path);
    return refused(FileChoice::Outcome::Failed, "the file chooser gave no answer in time");
}

void PortalFileChooser::save(const std::string& title, const std::string& fileName, std::string bytes,
                             Done done) {
    Question question;
    question.save = true;
    question.title = title;
    question.fileName = fileName;
    start(std::move(question), std::move(bytes), std::move(done));
}

void PortalFileChooser::open(const std::string& title, Done done) {
    Question question;
    question.title = title;
    start(std::move(question), {}, std::move(done));
}

void PortalFileChooser::start(Question question, std::string bytes, Done done) {
    if (asking_.exchange(true)) {
        return; // the open chooser answers first; callers check isAsking
    }
    question.parentWindow = parentWindow();
    Scheduler* scheduler = Director::getInstance()->getScheduler();
    startWorker(
        [this, scheduler, question = std::move(question), bytes = std::move(bytes), done = std::move(done)] {
            const Answer answer = ask(question);
            FileChoice choice;
            if (answer.outcome != FileChoice::Outcome::Chosen) {
                choice.outcome = answer.outcome;
                choice.reason = answer.reason;
            } else {
                choice = question.save ? writeChosen(answer.path, bytes) : readChosen(answer.path);
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

FileChooser& FileChooser::system() {
    static PortalFileChooser chooser;
    return chooser;
}

} // namespace engine
