// What a kill loses: a child process saves a program through the save worker
// (SaveWriter with the file layer's atomic write, as the editor does) in
// bursts of edits, and is killed with SIGKILL at a random moment. The program
// file left on disk tells which edits were lost; the loss window is the time
// from the oldest lost edit to the kill.
//
// Usage: pavlune-bench-kill-loss [kills] [seed]
// A slow disk: LD_PRELOAD=<build>/bench/libpavlune_slow_fsync.so
// PAVLUNE_FSYNC_DELAY_MS=250 pavlune-bench-kill-loss

#include "engine/base/FileUtils.h"
#include "store/SaveWriter.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kBurst = 5;
constexpr long kEditGapMs = 120;            // between the edits of a burst (drags in a row)
constexpr long kBurstGapMs = 1000;          // between bursts
constexpr std::size_t kProgramBytes = 6000; // about a program of 80 cards

long long nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void sleepMs(long ms) {
    timespec pause{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

// The child: edits forever, telling the parent each edit's number and time
// just before it is handed to the worker.
[[noreturn]] void edit(const std::string& file, int report) {
    SaveWriter writer;
    for (int number = 1;; ++number) {
        char line[64];
        const int length = std::snprintf(line, sizeof line, "%d %lld\n", number, nowNs());
        if (::write(report, line, static_cast<std::size_t>(length)) != length) {
            std::_Exit(1);
        }
        writer.write(file, "edit " + std::to_string(number) + "\n" + std::string(kProgramBytes, 'x'));
        sleepMs(number % kBurst == 0 ? kBurstGapMs : kEditGapMs);
    }
}

struct Kill {
    int lost = 0;        // edits not on disk
    double windowMs = 0; // from the oldest lost edit to the kill
};

Kill killOnce(const std::string& folder, long killAfterMs) {
    const std::string file = folder + "/1.plist";
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        edit(file, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    sleepMs(killAfterMs);
    ::kill(child, SIGKILL);
    const long long killedAt = nowNs();
    ::waitpid(child, nullptr, 0);

    std::vector<long long> editTimes; // editTimes[n - 1]: when edit n was made
    std::string reported;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        reported.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    for (std::size_t at = 0; at < reported.size();) {
        const std::size_t end = reported.find('\n', at);
        if (end == std::string::npos) {
            break;
        }
        int number = 0;
        long long time = 0;
        if (std::sscanf(reported.c_str() + at, "%d %lld", &number, &time) == 2) {
            editTimes.push_back(time);
        }
        at = end + 1;
    }

    const std::string onDisk = engine::FileUtils::getInstance()->getStringFromFile(file);
    const int saved = onDisk.rfind("edit ", 0) == 0 ? std::atoi(onDisk.c_str() + 5) : 0;
    Kill kill;
    kill.lost = std::max(0, static_cast<int>(editTimes.size()) - saved);
    if (kill.lost > 0) {
        kill.windowMs = static_cast<double>(killedAt - editTimes[static_cast<std::size_t>(saved)]) / 1e6;
    }
    return kill;
}

} // namespace

int main(int argc, char** argv) {
    const int kills = argc > 1 ? std::atoi(argv[1]) : 30;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 35U;
    const char* delay = std::getenv("PAVLUNE_FSYNC_DELAY_MS");
    const char* preload = std::getenv("LD_PRELOAD");
    std::printf(
        "kill loss: %d kills, bursts of %d edits %ld ms apart, fsync delay %s\n", kills, kBurst, kEditGapMs,
        preload && std::string(preload).find("slow_fsync") != std::string::npos ? (delay ? delay : "100")
                                                                                : "none");

    std::mt19937 random(seed);
    // Anywhere in the first two bursts.
    std::uniform_int_distribution<long> moment(50, 2 * (4 * kEditGapMs + kBurstGapMs));
    std::vector<Kill> results;
    for (int i = 0; i < kills; ++i) {
        char pattern[] = "/tmp/pavlune-kill-loss-XXXXXX";
        if (!::mkdtemp(pattern)) {
            std::perror("mkdtemp");
            return 1;
        }
        results.push_back(killOnce(pattern, moment(random)));
        std::filesystem::remove_all(pattern);
    }

    std::vector<double> windows;
    int mostLost = 0;
    for (const Kill& kill : results) {
        mostLost = std::max(mostLost, kill.lost);
        if (kill.lost > 0) {
            windows.push_back(kill.windowMs);
        }
    }
    std::sort(windows.begin(), windows.end());
    std::printf("kills that lost edits: %zu of %d\n", windows.size(), kills);
    std::printf("most edits lost by one kill: %d\n", mostLost);
    if (!windows.empty()) {
        std::printf("loss window: median %.0f ms, max %.0f ms\n", windows[windows.size() / 2],
                    windows.back());
    }
    return 0;
}
