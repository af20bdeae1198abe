#pragma once

#include "catalogue/CatalogueView.h"
#include "program/FieldRows.h"

#include <chrono>
#include <string>
#include <vector>

// How closely a transfer kept its schedule: the bytes it should send with
// the nominal pause after each, and, from the moments the bytes were written
// (or arrived), each gap's excess over its pause and the whole transfer
// against the nominal schedule (pauses plus the line time at 115200 baud).
class TransferGaps {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct Figures {
        std::size_t gaps = 0;
        // Excess of a gap over its nominal pause, microseconds.
        double mean = 0;
        double p50 = 0;
        double p99 = 0;
        double max = 0;
        // Whole transfer against the nominal schedule, per cent.
        double totalSeconds = 0;
        double nominalSeconds = 0;
        double totalDifferencePercent = 0;
    };

    // The send routine's schedule for `rows` in the dialect of `view`.
    static TransferGaps forProgram(const pavlune::CatalogueView& view, const pavlune::FieldRows& rows);

    const std::string& bytes() const { return bytes_; }
    // Empty when `times` does not hold one moment per byte.
    Figures measure(const std::vector<TimePoint>& times) const;
    static void print(const char* what, const Figures& figures);
    // The line time of one byte, microseconds.
    static double lineTimeMicros();

private:
    std::string bytes_;
    // Nominal pause between byte k and byte k + 1, ms.
    std::vector<int> pauses_;
};
