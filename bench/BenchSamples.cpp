#include "bench/BenchSamples.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <time.h>

void BenchSamples::time(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuMs();
    work();
    cpu_.push_back(threadCpuMs() - cpuStart);
    wall_.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
}

void BenchSamples::dropLast() {
    if (!wall_.empty()) {
        wall_.pop_back();
    }
    if (!cpu_.empty()) {
        cpu_.pop_back();
    }
}

void BenchSamples::addLastOf(const BenchSamples& other) {
    if (!other.wall_.empty()) {
        wall_.push_back(other.wall_.back());
    }
    if (!other.cpu_.empty()) {
        cpu_.push_back(other.cpu_.back());
    }
}

BenchSamples::Summary BenchSamples::summarise(std::vector<double> values) {
    Summary s;
    if (values.empty()) {
        return s;
    }
    std::sort(values.begin(), values.end());
    for (double v : values) {
        s.mean += v;
    }
    s.mean /= static_cast<double>(values.size());
    s.median = values[values.size() / 2];
    s.p99 = values[std::min(values.size() - 1, values.size() * 99 / 100)];
    s.max = values.back();
    return s;
}

double BenchSamples::threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string BenchSamples::loadAverage() {
    std::string line;
    std::getline(std::ifstream("/proc/loadavg"), line);
    return line;
}

void BenchSamples::header(const char* title) {
    std::printf("\n%s\n%-44s %5s %8s %8s %8s %8s | %8s %8s %8s | %s\n", title, "  (milliseconds)", "runs",
                "mean", "median", "p99", "max", "cpu mean", "cpu med", "cpu p99", "goal");
}

void BenchSamples::row(const char* what, double meanGoal, double p99Goal) const {
    const Summary w = wall();
    const Summary c = cpu();
    std::string goal;
    bool met = true;
    if (meanGoal > 0) {
        goal += "mean < " + std::to_string(static_cast<int>(meanGoal)) + " ms";
        met = met && w.mean < meanGoal;
    }
    if (p99Goal > 0) {
        goal += std::string(goal.empty() ? "" : ", ") + "p99 < " + std::to_string(static_cast<int>(p99Goal)) +
                " ms";
        met = met && w.p99 < p99Goal;
    }
    std::printf("%-44s %5zu %8.2f %8.2f %8.2f %8.2f | %8.2f %8.2f %8.2f | %-24s %s\n", what, size(), w.mean,
                w.median, w.p99, w.max, c.mean, c.median, c.p99, goal.c_str(),
                goal.empty() ? "" : (met ? "met" : "MISSED"));
}

void BenchSamples::compareHeader(const char* title, const char* smallName, const char* largeName) {
    std::printf("\n%s\n%-40s | %-26s | %-26s | %-7s | %s\n%-40s | %8s %8s %8s | %8s %8s %8s | %7s |\n", title,
                "  (milliseconds)", smallName, largeName, "ratio", "goal (wall time of the large one)", "",
                "mean", "p99", "cpu p99", "mean", "p99", "cpu p99", "cpu");
}

void BenchSamples::compare(const char* what, const BenchSamples& small, const BenchSamples& large,
                           Goal goal) {
    const Summary s = small.wall();
    const Summary l = large.wall();
    const Summary sc = small.cpu();
    const Summary lc = large.cpu();
    const double smallCpu = goal.onP99 ? sc.p99 : sc.mean;
    const double ratio = smallCpu > 0 ? (goal.onP99 ? lc.p99 : lc.mean) / smallCpu : 0;
    std::string text;
    bool met = true;
    if (goal.ms > 0) {
        text = std::string(goal.onP99 ? "p99" : "mean") + " < " + std::to_string(static_cast<int>(goal.ms)) +
               " ms";
        met = (goal.onP99 ? l.p99 : l.mean) < goal.ms;
    }
    if (goal.ratio > 0) {
        char bound[32];
        std::snprintf(bound, sizeof bound, "%sratio < %.1f", text.empty() ? "" : ", ", goal.ratio);
        text += bound;
        met = met && ratio < goal.ratio;
    }
    std::printf("%-40s | %8.2f %8.2f %8.2f | %8.2f %8.2f %8.2f | %7.2f | %s %s\n", what, s.mean, s.p99,
                sc.p99, l.mean, l.p99, lc.p99, ratio, text.c_str(),
                text.empty() ? "" : (met ? "met" : "MISSED"));
}
