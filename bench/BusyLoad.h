#pragma once

#include <sys/types.h>
#include <vector>

// Load beside a measurement, like a few `yes > /dev/null`: child processes
// that keep a core busy each, until this object goes.
class BusyLoad {
public:
    explicit BusyLoad(int processes);
    ~BusyLoad();
    BusyLoad(const BusyLoad&) = delete;
    BusyLoad& operator=(const BusyLoad&) = delete;

    int size() const { return static_cast<int>(children_.size()); }

private:
    std::vector<pid_t> children_;
};
