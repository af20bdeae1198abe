// Loading and saving with a large save store: a store of 1000 saved programs
// (list file plus one program file each) is made in a temporary writable
// path, then the time until the list is ready is measured, first through the
// process-wide getInstance() (cold) and then over repeated fresh loads.
//
// Usage: pavlune-bench-save-store [programs] [repetitions]

#include "engine/base/AutoreleasePool.h"
#include "engine/base/FileUtils.h"
#include "engine/base/PlistCodec.h"
#include "store/SaveDataManager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using engine::FileUtils;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

ValueVector sampleProgram(int cards) {
    ValueVector program;
    for (int i = 0; i < cards; ++i) {
        program.push_back(Value(ValueMap{{"tab", Value(i % 3)},
                                         {"index", Value(i % 6)},
                                         {"x", Value(412)},
                                         {"y", Value(1500 - 36 * i)},
                                         {"zorder", Value(i)},
                                         {"value", Value(i % 4 ? "" : "60")}}));
    }
    return program;
}

// Writes the store directly (one list write; program files without the
// per-file flush of the atomic writer, which would only slow the set-up).
void makeStore(const std::string& root, int programs) {
    const std::string folder = root + "savedatas/";
    std::filesystem::create_directories(folder);
    const std::string programText = engine::PlistCodec::toXml(sampleProgram(12));
    ValueVector entries;
    for (int id = programs; id >= 1; --id) {
        std::ofstream(folder + std::to_string(id) + ".plist", std::ios::binary) << programText;
        entries.push_back(Value(ValueMap{{"identifer", Value(id)},
                                         {"title", Value("プログラム " + std::to_string(id))},
                                         {"path", Value("savedatas/" + std::to_string(id) + ".plist")},
                                         {"imagepath", Value("savedatas/img" + std::to_string(id) + ".png")},
                                         {"modify", Value("2026/12/5 9:3:7")}}));
    }
    FileUtils::getInstance()->writeValueMapToFile({{"lastid", Value(programs)}, {"datas", Value(entries)}},
                                                  folder + "list.plist");
}

struct Summary {
    double min, median, max;
};

Summary summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples.front(), samples[samples.size() / 2], samples.back()};
}

} // namespace

int main(int argc, char** argv) {
    const int programs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

    char pattern[] = "/tmp/pavlune-bench-store-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = std::string(pattern) + "/";
    FileUtils::getInstance()->setWritablePath(root);
    makeStore(root, programs);
    const auto listBytes = FileUtils::getInstance()->getFileSize(root + "savedatas/list.plist");

    const auto coldStart = Clock::now();
    SaveDataManager* shared = SaveDataManager::getInstance();
    const double cold = millisecondsSince(coldStart);
    if (static_cast<int>(shared->getDatas().size()) != programs) {
        std::fprintf(stderr, "expected %d entries, got %zu\n", programs, shared->getDatas().size());
        return 1;
    }

    std::vector<double> loads;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = Clock::now();
        SaveDataManager* store = SaveDataManager::create();
        loads.push_back(millisecondsSince(start));
        (void)store;
        engine::AutoreleasePool::current().clear();
    }
    const Summary load = summarise(loads);

    // The first save of a new program writes its file and the whole list;
    // a re-save writes the program file only. Both flush to the disk.
    std::vector<double> firstSaves;
    std::vector<double> resaves;
    const ValueVector program = sampleProgram(40);
    for (int i = 0; i < std::min(repetitions, 10); ++i) {
        SaveData* data = SaveData::create();
        auto start = Clock::now();
        shared->saveProgram(data, program);
        firstSaves.push_back(millisecondsSince(start));
        start = Clock::now();
        shared->saveProgram(data, program);
        resaves.push_back(millisecondsSince(start));
    }
    const Summary firstSave = summarise(firstSaves);
    const Summary resave = summarise(resaves);

    std::printf("save store with %d programs (list file %lld bytes)\n", programs,
                static_cast<long long>(listBytes));
    std::printf("  getInstance() until the list is ready, cold: %8.2f ms\n", cold);
    std::printf("  fresh load of the list, %d runs:  min %6.2f  median %6.2f  max %6.2f ms\n", repetitions,
                load.min, load.median, load.max);
    std::printf("  first save of a new program (program + list): min %6.2f  median %6.2f  max %6.2f ms\n",
                firstSave.min, firstSave.median, firstSave.max);
    std::printf("  re-save of a program (40 cards):               min %6.2f  median %6.2f  max %6.2f ms\n",
                resave.min, resave.median, resave.max);

    engine::AutoreleasePool::current().clear();
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return 0;
}
