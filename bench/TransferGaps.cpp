#include "bench/TransferGaps.h"

#include "program/PacedPortWriter.h"
#include "program/QueProgramAssembler.h"
#include "program/TextTransferAssembler.h"

#include <algorithm>
#include <cstdio>

using Micros = std::chrono::duration<double, std::micro>;
using Seconds = std::chrono::duration<double>;

TransferGaps TransferGaps::forProgram(const pavlune::CatalogueView& view, const pavlune::FieldRows& rows) {
    TransferGaps schedule;
    if (view.isByteCoded()) {
        pavlune::QueProgramAssembler assembler(view);
        schedule.bytes_ = assembler.assembleQueProgram(rows).image();
        schedule.pauses_.assign(schedule.bytes_.size() - 1, view.getCharPacing());
        return schedule;
    }
    pavlune::TextTransferAssembler assembler(view);
    for (const pavlune::SendUnit& unit : assembler.assembleTextTransfer(rows)) {
        schedule.bytes_ += unit.text;
        schedule.pauses_.insert(schedule.pauses_.end(), unit.text.size(), std::max(unit.charDelay, 0));
    }
    schedule.pauses_.pop_back();
    return schedule;
}

TransferGaps::Figures TransferGaps::measure(const std::vector<TimePoint>& times) const {
    Figures figures;
    if (times.size() != bytes_.size() || times.size() < 2) {
        return figures;
    }
    std::vector<double> excess;
    std::chrono::nanoseconds nominalPauses{0};
    for (std::size_t k = 0; k + 1 < times.size(); ++k) {
        const auto pause = std::chrono::milliseconds(pauses_[k]);
        nominalPauses += pause;
        excess.push_back(Micros(times[k + 1] - times[k] - pause).count());
    }
    std::sort(excess.begin(), excess.end());
    for (double value : excess) {
        figures.mean += value;
    }
    figures.gaps = excess.size();
    figures.mean /= static_cast<double>(excess.size());
    figures.p50 = excess[excess.size() / 2];
    figures.p99 = excess[std::min(excess.size() - 1, excess.size() * 99 / 100)];
    figures.max = excess.back();
    const auto nominal =
        nominalPauses + pavlune::PacedPortWriter::lineTime(static_cast<long long>(excess.size()));
    figures.totalSeconds = Seconds(times.back() - times.front()).count();
    figures.nominalSeconds = Seconds(nominal).count();
    figures.totalDifferencePercent = 100.0 * (figures.totalSeconds / figures.nominalSeconds - 1.0);
    return figures;
}

void TransferGaps::print(const char* what, const Figures& figures) {
    if (figures.gaps == 0) {
        std::printf("  %-34s no figures: not one moment per byte\n", what);
        return;
    }
    std::printf("  %-34s gap excess us: mean %7.1f  p50 %7.1f  p99 %8.1f  max %8.1f | total %.4f s, nominal "
                "%.4f s, %+.3f %%\n",
                what, figures.mean, figures.p50, figures.p99, figures.max, figures.totalSeconds,
                figures.nominalSeconds, figures.totalDifferencePercent);
}

double TransferGaps::lineTimeMicros() {
    return Micros(pavlune::PacedPortWriter::lineTime(1)).count();
}
