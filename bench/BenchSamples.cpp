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
