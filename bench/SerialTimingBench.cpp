// How closely a transfer keeps its schedule on a real clock: sends a jam
// program of 40 rows and a que program into a pseudo-terminal board and
// prints, from the board's arrival times, the excess of every gap over its
// nominal pause and the whole transfer against the nominal schedule.
//
//   pavlune-serial-timing-bench [jam-rows (default 40)]
#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "device/PlatformSerialBackend.h"
#include "device/posix/PtyBoard.h"
#include "program/BoardTransfer.h"
#include "program/PacedPortWriter.h"
#include "program/QueProgramAssembler.h"
#include "program/SteadyTransferClock.h"
#include "program/TextTransferAssembler.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace pavlune;

namespace {

using Seconds = std::chrono::duration<double>;
using Micros = std::chrono::duration<double, std::micro>;

struct Schedule {
    std::string bytes;
    // Nominal pause between byte k and byte k+1, ms.
    std::vector<int> pauses;
};

Schedule jamSchedule(const FieldRows& rows) {
    Schedule schedule;
    TextTransferAssembler assembler(CatalogueView(jam, basic));
    for (const SendUnit& unit : assembler.assembleTextTransfer(rows)) {
        schedule.bytes += unit.text;
        schedule.pauses.insert(schedule.pauses.end(), unit.text.size(), std::max(unit.charDelay, 0));
    }
    schedule.pauses.pop_back();
    return schedule;
}

Schedule queSchedule(const FieldRows& rows) {
    Schedule schedule;
    const CatalogueView view(que, basic);
    QueProgramAssembler assembler(view);
    schedule.bytes = assembler.assembleQueProgram(rows).image();
    schedule.pauses.assign(schedule.bytes.size() - 1, view.getCharPacing());
    return schedule;
}

void measure(const char* title, Dialect dialect, const FieldRows& rows, const Schedule& schedule) {
    PtyBoard board;
    PavluneCardSerialManager serial(createPlatformSerialBackend());
    serial.addPort(board.devicePath(), "pseudo-terminal");
    SteadyTransferClock clock;
    std::atomic<bool> stopRequested{false};
    BoardTransfer transfer(serial, clock, stopRequested, nullptr);
    bool done = false;
    transfer.sendProgram(
        CatalogueView(dialect, basic), rows, [](PavluneAppsError) {}, [&] { done = true; });
    board.waitForBytes(schedule.bytes.size(), std::chrono::seconds(5));

    const std::vector<PtyBoard::Arrival> arrivals = board.arrivals();
    if (!done || board.received() != schedule.bytes) {
        std::printf("%s: transfer failed or bytes differ (%zu of %zu arrived)\n", title, arrivals.size(),
                    schedule.bytes.size());
        return;
    }
    std::vector<double> excess;
    std::chrono::nanoseconds nominalPauses{0};
    for (std::size_t k = 0; k + 1 < arrivals.size(); ++k) {
        const auto pause = std::chrono::milliseconds(schedule.pauses[k]);
        nominalPauses += pause;
        excess.push_back(Micros(arrivals[k + 1].at - arrivals[k].at - pause).count());
    }
    std::sort(excess.begin(), excess.end());
    double sum = 0;
    for (double value : excess) {
        sum += value;
    }
    const auto nominal =
        nominalPauses + PacedPortWriter::lineTime(static_cast<long long>(arrivals.size()) - 1);
    const auto total = arrivals.back().at - arrivals.front().at;
    std::printf("%s: %zu bytes, %zu gaps\n", title, arrivals.size(), excess.size());
    std::printf("  gap excess over the nominal pause: mean %.1f us, p50 %.1f us, p99 %.1f us, max %.1f us "
                "(line time alone: %.1f us)\n",
                sum / static_cast<double>(excess.size()), excess[excess.size() / 2],
                excess[std::min(excess.size() - 1, excess.size() * 99 / 100)], excess.back(),
                Micros(PacedPortWriter::lineTime(1)).count());
    std::printf("  total %.4f s, nominal schedule + line time %.4f s, difference %+.3f %%\n",
                Seconds(total).count(), Seconds(nominal).count(),
                100.0 * (Seconds(total).count() / Seconds(nominal).count() - 1.0));
}

} // namespace

int main(int argc, char** argv) {
    const int jamRows = argc > 1 ? std::atoi(argv[1]) : 40;

    FieldRows jamRowsProgram;
    for (int row = 0; row < jamRows; ++row) {
        jamRowsProgram.push_back({CardSlot{basic, row % 2, ""}}); // LED 1 / LED 0
    }
    measure("jam, rows of LED cards", jam, jamRowsProgram, jamSchedule(jamRowsProgram));

    const FieldRows queRows{{CardSlot{full, 4, ""}},
                            {CardSlot{basic, 0, ""}},
                            {CardSlot{full, 2, "1"}},
                            {CardSlot{basic, 1, ""}},
                            {CardSlot{full, 5, ""}}};
    measure("que, loop program padded to 512 bytes", que, queRows, queSchedule(queRows));
    return 0;
}
