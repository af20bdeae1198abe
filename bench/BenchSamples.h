#pragma once

#include <functional>
#include <string>
#include <vector>

// Timings of one benchmark figure: wall time, and the calling thread's
// processor time beside it (other work may share the machine), in ms.
class BenchSamples {
public:
    struct Summary {
        double mean = 0;
        double median = 0;
        double p99 = 0;
        double max = 0;
    };

    // Times `work` once.
    void time(const std::function<void()>& work);
    void dropLast();
    // Copies the last sample of `other` (to pick a subset of frames).
    void addLastOf(const BenchSamples& other);

    std::size_t size() const { return wall_.size(); }
    Summary wall() const { return summarise(wall_); }
    Summary cpu() const { return summarise(cpu_); }

    static Summary summarise(std::vector<double> values);
    static double threadCpuMs();
    // /proc/loadavg as it reads now.
    static std::string loadAverage();

    // A table of figures: a title line, then one row per figure with goals of
    // the mean and the p99 (0: no goal on that figure), met or MISSED.
    static void header(const char* title);
    void row(const char* what, double meanGoal = 0, double p99Goal = 0) const;

    // Two programs side by side: a title line naming them, then one row per
    // figure with the mean and p99 of each (wall, and the processor's p99),
    // the ratio of the large to the small one in processor time, and the
    // goal on the large one's p99 or mean (wall time) and on the ratio.
    struct Goal {
        double ms = 0;
        bool onP99 = true;
        double ratio = 0;
    };
    static void compareHeader(const char* title, const char* smallName, const char* largeName);
    static void compare(const char* what, const BenchSamples& small, const BenchSamples& large, Goal goal);

private:
    std::vector<double> wall_;
    std::vector<double> cpu_;
};
