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

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace pavlune;

namespace {

void measure(const char* title, Dialect dialect, const FieldRows& rows) {
    const TransferGaps schedule = TransferGaps::forProgram(CatalogueView(dialect, basic), rows);
    std::unique_ptr<PtyBoard> board;
    bool readerRaised = false;
    {
        // Above the sender, so the board notes a byte as soon as the kernel hands it over.
        RealTimeScope readerPriority(2);
        readerRaised = readerPriority.raised();
        board = std::make_unique<PtyBoard>();
    }
    auto backend = std::make_unique<TimedSerialBackend>(createPlatformSerialBackend());
    TimedSerialBackend* timed = backend.get();
    PavluneCardSerialManager serial(std::move(backend));
    std::ostringstream echo;
    std::ostringstream errors;
    const int status = SerialExport(serial, echo, errors).send(board->devicePath(), dialect, rows);
    board->waitForBytes(schedule.bytes().size(), std::chrono::seconds(5));

    std::printf("%s: %zu bytes%s\n", title, schedule.bytes().size(),
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
                BenchSamples::loadAverage().c_str(), sysconf(_SC_NPROCESSORS_ONLN), RealTimeScope::priorityLimit(),
                realTime ? "allowed" : "NOT allowed (the sender stays on the normal policy)");
    const BusyLoad busy(load);
    std::printf("%d busy processes beside the transfers; line time of a byte %.1f us (in every gap's excess)\n",
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
