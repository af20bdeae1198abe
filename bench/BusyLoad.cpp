#include "bench/BusyLoad.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

BusyLoad::BusyLoad(int processes) {
    for (int n = 0; n < processes; ++n) {
        const pid_t child = fork();
        if (child == 0) {
            volatile unsigned long spin = 0;
            for (;;) {
                spin = spin + 1;
            }
        }
        if (child > 0) {
            children_.push_back(child);
        }
    }
}

BusyLoad::~BusyLoad() {
    for (pid_t child : children_) {
        kill(child, SIGKILL);
    }
    for (pid_t child : children_) {
        waitpid(child, nullptr, 0);
    }
}
