// How closely a transfer keeps its schedule on a real clock: sends a jam
// program of 40 rows and a que program into a pseudo-terminal board, through
// the code pavlune-export uses, and prints each gap's excess over its nominal
// pause and the whole transfer against the nominal schedule, twice: from the
// moments the sending thread's writes returned, and from the board's arrival
// times (which add the kernel's delivery through the pseudo-terminal).
//
//   pavlune-serial-timing-bench [--load N] [jam-rows (default 40)]
//   --load N: N busy processes run beside the transfers (2 cores: try 4).
#include "bench/BenchSamples.h"
#include "bench/BusyLoad.h"
#include "bench/RealTimeScope.h"
#include "bench/TimedSerialBackend.h"
#include "bench/TransferGaps.h"
#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "device/PlatformSerialBackend.h"
#include "device/posix/PtyBoard.h"
#include "export/SerialExport.h"
#include "program/DBusRealtimeKit.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sched.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace pavlune;

namespace {

const char* policyName(int policy) {
    switch (policy & ~SCHED_RESET_ON_FORK) {
    case SCHED_FIFO:
        return "SCHED_FIFO";
    case SCHED_RR:
        return "SCHED_RR";
    case SCHED_OTHER:
        return "SCHED_OTHER";
    default:
        return "an unknown policy";
    }
}

// The kernel ids of this process's threads.
std::set<long> threadIds() {
    std::set<long> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        ids.insert(std::atol(entry.path().filename().c_str()));
    }
    return ids;
}

// Where the process may not use real-time scheduling itself, RealtimeKit is
// asked for the threads started since `before`, as the sender asks for its own.
bool raiseByKit(const std::set<long>& before, int priority) {
    DBusRealtimeKit kit;
    RealtimeKit::Limits limits;
    rlimit rtTime{};
    if (!kit.readLimits(limits) || limits.maxPriority < priority || limits.rtTimeMicrosMax <= 0 ||
        getrlimit(RLIMIT_RTTIME, &rtTime) != 0) {
        return false;
    }
    if (rtTime.rlim_max == RLIM_INFINITY || rtTime.rlim_max > static_cast<rlim_t>(limits.rtTimeMicrosMax)) {
        rtTime.rlim_max = static_cast<rlim_t>(limits.rtTimeMicrosMax);
    }
    rtTime.rlim_cur = rtTime.rlim_max;
    bool raised = setrlimit(RLIMIT_RTTIME, &rtTime) == 0;
    for (long id : threadIds()) {
        if (before.count(id) == 0) {
            const auto thread = static_cast<std::uint64_t>(id);
            raised = kit.makeThreadRealtime(thread, static_cast<std::uint32_t>(priority)) && raised;
        }
    }
    return raised;
}

void measure(const char* title, Dialect dialect, const FieldRows& rows) {
    const TransferGaps schedule = TransferGaps::forProgram(CatalogueView(dialect, basic), rows);
    std::unique_ptr<PtyBoard> board;
    bool readerRaised = false;
    {
        // Above the sender, so the board notes a byte as soon as the kernel hands it over.
        const std::set<long> before = threadIds();
        RealTimeScope readerPriority(2);
        board = std::make_unique<PtyBoard>();
        readerRaised = readerPriority.raised() || raiseByKit(before, 2);
    }
    auto backend = std::make_unique<TimedSerialBackend>(createPlatformSerialBackend());
    TimedSerialBackend* timed = backend.get();
    PavluneCardSerialManager serial(std::move(backend));
    std::ostringstream echo;
    std::ostringstream errors;
    const int status = SerialExport(serial, echo, errors).send(board->devicePath(), dialect, rows);
    board->waitForBytes(schedule.bytes().size(), std::chrono::seconds(5));

    std::printf("%s: %zu bytes, sending thread on %s%s\n", title, schedule.bytes().size(),
                policyName(timed->lastWriterPolicy()),
                readerRaised ? "" : " (the board's reader could not be put on real-time scheduling)");
    if (status != SerialExport::kExitDone || board->received() != schedule.bytes()) {
        std::printf("  transfer failed or bytes differ (%zu of %zu arrived): %s\n", board->received().size(),
                    schedule.bytes().size(), errors.str().c_str());
        return;
    }
    std::vector<TransferGaps::TimePoint> arrivals;
    for (const PtyBoard::Arrival& arrival : board->arrivals()) {
        arrivals.push_back(arrival.at);
    }
    TransferGaps::print("written (the sending thread)", schedule.measure(timed->writeTimes()));
    TransferGaps::print("arrived (the board's end)", schedule.measure(arrivals));
}

} // namespace

int main(int argc, char** argv) {
    int jamRows = 40;
    int load = 0;
    for (int a = 1; a < argc; ++a) {
        const std::string argument = argv[a];
        if (argument == "--load" && a + 1 < argc) {
            load = std::atoi(argv[++a]);
        } else {
            jamRows = std::atoi(argument.c_str());
        }
    }
    bool realTime = false;
    {
        RealTimeScope probe(1);
        realTime = probe.raised();
    }
    std::printf("load average at start: %s (%ld processors); RLIMIT_RTPRIO %ld; real-time scheduling %s\n",
                BenchSamples::loadAverage().c_str(), sysconf(_SC_NPROCESSORS_ONLN),
                RealTimeScope::priorityLimit(), realTime ? "allowed" : "NOT allowed");
    RealtimeKit::Limits limits;
    if (DBusRealtimeKit().readLimits(limits)) {
        std::printf("RealtimeKit answers: priorities up to %d, RLIMIT_RTTIME at most %lld us\n",
                    limits.maxPriority, limits.rtTimeMicrosMax);
    } else {
        std::printf("RealtimeKit does not answer on the system bus\n");
    }
    const BusyLoad busy(load);
    std::printf(
        "%d busy processes beside the transfers; line time of a byte %.1f us (in every gap's excess)\n",
        busy.size(), TransferGaps::lineTimeMicros());

    FieldRows jamRowsProgram;
    for (int row = 0; row < jamRows; ++row) {
        jamRowsProgram.push_back({CardSlot{basic, row % 2, ""}}); // LED 1 / LED 0
    }
    measure("jam, rows of LED cards", jam, jamRowsProgram);

    const FieldRows queRows{{CardSlot{full, 4, ""}},
                            {CardSlot{basic, 0, ""}},
                            {CardSlot{full, 2, "1"}},
                            {CardSlot{basic, 1, ""}},
                            {CardSlot{full, 5, ""}}};
    measure("que, loop program padded to 512 bytes", que, queRows);
    std::printf("load average at the end: %s\n", BenchSamples::loadAverage().c_str());
    return 0;
}
