#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

// One copy of the editor per user. The first copy to claim `name` holds it
// until it ends and hears every later copy's request to come forward; a later
// copy's claim fails after asking the first to come forward, and it should
// end. Two copies on one store would each write their own list of programs
// (the store's lock then leaves the later one read-only).
//
// Linux: a socket in the abstract namespace named after `name` and the user
// (gone with the process, whatever the way it ended). Windows: a named mutex
// in the session and a named event that the later copy sets, after letting
// the first take the foreground.
class SingleInstance {
public:
    explicit SingleInstance(std::string name);
    ~SingleInstance();

    // The name for `program` on the store in `folder`: one user's copies
    // share it, and a run on a store of its own (a test's) is apart. The
    // folder goes in as a hash (FNV-1a), fit for any system's names.
    static std::string nameFor(const std::string& program, const std::string& folder) {
        std::uint64_t hash = 14695981039346656037ULL;
        for (const char c : folder) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        }
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
        return program + "-" + hex;
    }

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy holds the name and has been asked to come
    // forward: this one should end. True when this is the first copy, and
    // also when the check could not be made (logged): the copy then runs, as
    // it would without the check.
    bool claim();

    // After a successful claim: `request` runs on a thread of this object's
    // each time a later copy starts, until stopListening or the destructor.
    void listen(std::function<void()> request);
    void stopListening();

private:
    struct Platform;

    std::string name_;
    std::unique_ptr<Platform> platform_;
};
