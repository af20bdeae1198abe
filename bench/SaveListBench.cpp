// The list of saved programs with a store of 1000 programs, each with a
// thumbnail written at the content scale (570 x 570 pixels):
//  - time from process start to the first frame of the list: a child process
//    (this program again) starts the application object on the headless
//    engine (software renderer) and notes the monotonic clock once the first
//    frame is drawn; the parent notes it just before starting the child;
//  - entry nodes alive and frame times while the strip is flung: real flings
//    (drags released at speed, then inertia), and sweeps across the whole
//    strip and back at a hard fling's speed (250 units a frame), one frame each;
//  - resident memory (VmRSS) before the list, after the flings, after the
//    sweeps and after showing every thumbnail once, end to end and back twice.
//
// Usage: pavlune-bench-save-list [programs]

#include "app/AppDelegate.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/base/FileUtils.h"
#include "engine/platform/Application.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "saves/SaveItemView.h"
#include "saves/SaveScene.h"
#include "saves/ThumbnailLoader.h"
#include "widgets/FieldScrollView.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

void writeStore(const fs::path& root, int programs) {
    const fs::path folder = root / "PavluneApps" / "savedatas";
    fs::create_directories(folder);
    std::vector<std::uint8_t> rgba(570 * 570 * 4);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = static_cast<std::uint8_t>(i / 4 % 570 / 3);
        rgba[i + 1] = 120;
        rgba[i + 2] = static_cast<std::uint8_t>(i / 4 / 570 / 3);
        rgba[i + 3] = 255;
    }
    engine::Image image;
    image.initWithRawData(rgba.data(), 570, 570);
    image.saveToFile((folder / "img1.png").string());

    std::ofstream list(folder / "list.plist");
    list << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist "
            "version=\"1.0\"><dict><key>lastid</key><integer>"
         << programs << "</integer><key>datas</key><array>\n";
    for (int n = programs; n >= 1; --n) {
        list << "<dict><key>identifer</key><integer>" << n
             << "</integer><key>title</key><string>2026/12/5 9:3:" << n
             << "</string><key>path</key><string>savedatas/" << n
             << ".plist</string><key>imagepath</key><string>"
             << "savedatas/img" << n << ".png</string><key>modify</key><string>2026/12/5 9:3:" << n
             << "</string></dict>\n";
        std::ofstream(folder / (std::to_string(n) + ".plist"))
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array/></plist>\n";
        if (n != 1) {
            fs::copy_file(folder / "img1.png", folder / ("img" + std::to_string(n) + ".png"),
                          fs::copy_options::overwrite_existing);
        }
    }
    list << "</array></dict></plist>\n";
}

// The child: the application object on the headless engine, up to its first frame.
int firstFrame(const std::string& out) {
    engine::HeadlessDriver driver;
    AppDelegate app;
    engine::Application* application = engine::Application::getInstance();
    if (!application || !application->applicationDidFinishLaunching()) {
        return 1;
    }
    driver.step(0);
    const long long drawn = nowNs();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    std::ofstream(out) << drawn << " " << cpuMs << "\n";
    return 0;
}

// Wall-clock milliseconds; `cpuMs` receives the child's processor time up to the frame.
double spawnFirstFrame(const std::string& self, const fs::path& data, const fs::path& out, double& cpuMs) {
    const std::string env = "XDG_DATA_HOME=" + data.string();
    std::vector<std::string> envs{env};
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("XDG_DATA_HOME=", 0) != 0) {
            envs.emplace_back(*e);
        }
    }
    std::vector<char*> envp;
    for (auto& e : envs) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::string mode = "--first-frame";
    std::string target = out.string();
    std::string program = self;
    char* argv[] = {program.data(), mode.data(), target.data(), nullptr};
    const long long started = nowNs();
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    long long drawn = 0;
    std::ifstream(out) >> drawn >> cpuMs;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || drawn == 0) {
        return -1;
    }
    return static_cast<double>(drawn - started) / 1e6;
}

// Resident memory of this process (VmRSS), in megabytes.
double residentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atof(line.c_str() + 6) / 1024.0;
        }
    }
    return -1;
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct FrameStats {
    std::vector<double> ms;
    std::vector<double> cpu;
    int maxEntries = 0;
    void add(std::pair<double, double> frame) {
        ms.push_back(frame.first);
        cpu.push_back(frame.second);
        maxEntries = std::max(maxEntries, SaveItemView::getLiveCount());
    }
    void print(const char* what) {
        std::printf("%s: %zu frames, entries alive at most %d\n", what, ms.size(), maxEntries);
        line("  wall", ms);
        line("  cpu ", cpu);
    }
    static void line(const char* what, std::vector<double>& values) {
        std::sort(values.begin(), values.end());
        double sum = 0;
        for (double m : values) {
            sum += m;
        }
        std::printf("%s: mean %.2f ms, median %.2f ms, p99 %.2f ms, max %.2f ms\n", what,
                    sum / static_cast<double>(values.size()), values[values.size() / 2],
                    values[values.size() * 99 / 100], values.back());
    }
};

// Wall and processor milliseconds of one frame.
std::pair<double, double> timedStep(engine::HeadlessDriver& driver) {
    const auto start = Clock::now();
    const double cpuStart = threadCpuMs();
    driver.step();
    return {std::chrono::duration<double, std::milli>(Clock::now() - start).count(),
            threadCpuMs() - cpuStart};
}

// Scrolls from one end of the strip to the other and back, twice, `stride`
// units at a time, calling `atOffset` at each offset.
template <typename Step> void sweepStrip(FieldScrollView* view, float stride, Step atOffset) {
    const float end = -(view->getContentSize().width - view->viewSize.width);
    for (int pass = 0; pass < 2; ++pass) {
        for (float x = 0; x >= end; x -= stride) {
            view->setContentOffset(engine::Vec2(x, 0));
            atOffset();
        }
        for (float x = end; x <= 0; x += stride) {
            view->setContentOffset(engine::Vec2(x, 0));
            atOffset();
        }
    }
}

void fling(const fs::path& data) {
    engine::FileUtils::getInstance()->setWritablePath((data / "PavluneApps").string());
    engine::HeadlessDriver driver;
    std::printf("resident memory before the list: %.0f MB\n", residentMb());
    SaveScene::setSavedListOffset(0);
    auto* scene = engine::Scene::create();
    auto* list = SaveScene::create();
    scene->addChild(list);
    driver.runWithScene(scene);
    FieldScrollView* view = list->getScrollView();

    FrameStats flings;
    for (int f = 0; f < 10; ++f) {
        driver.touchBegan(engine::Vec2(950, 600));
        for (int i = 1; i <= 4; ++i) {
            driver.touchMoved(engine::Vec2(950 - 200.0f * static_cast<float>(i), 600));
            flings.add(timedStep(driver));
        }
        driver.touchEnded(engine::Vec2(150, 600));
        while (view->isDecelerating() || view->isAnimatingScroll()) {
            flings.add(timedStep(driver));
        }
    }
    std::printf("after 10 flings the offset is %.0f\n", view->getContentOffset().x);
    flings.print("flinging (drag released at 200 units a frame, then inertia)");
    std::printf("resident memory after the flings: %.0f MB\n", residentMb());

    FrameStats sweep;
    sweepStrip(view, 250, [&] { sweep.add(timedStep(driver)); });
    sweep.print("sweep across the whole strip and back, twice (250 units a frame)");
    std::printf("resident memory after the sweeps: %.0f MB\n", residentMb());

    // The worst case for memory: every entry waits for its picture before the
    // strip moves on, so each of the programs' thumbnails is shown once.
    ThumbnailLoader& thumbnails = list->getThumbnailLoader();
    sweepStrip(view, 350, [&] {
        thumbnails.waitUntilIdle();
        driver.step();
    });
    std::printf("resident memory after showing every thumbnail, end to end and back twice: %.0f MB\n",
                residentMb());
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--first-frame") {
        return firstFrame(argv[2]);
    }
    const int programs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    char pattern[] = "/tmp/pavlune-bench-list-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) {
        return 1;
    }
    const fs::path data(made);
    writeStore(data, programs);
    std::printf("store of %d saved programs with 570 x 570 thumbnails\n", programs);

    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<double> starts;
    std::vector<double> cpus;
    for (int run = 0; run < 7; ++run) {
        double cpu = 0;
        const double ms = spawnFirstFrame(self, data, data / "drawn", cpu);
        cpus.push_back(cpu);
        if (ms < 0) {
            std::printf("the first-frame child failed\n");
            break;
        }
        starts.push_back(ms);
    }
    if (!starts.empty()) {
        std::sort(starts.begin(), starts.end());
        std::printf("process start to the first frame of the list: median %.1f ms, best %.1f ms, worst %.1f "
                    "ms (%zu runs)\n",
                    starts[starts.size() / 2], starts.front(), starts.back(), starts.size());
        std::sort(cpus.begin(), cpus.end());
        std::printf("  processor time of the child up to that frame: median %.1f ms\n",
                    cpus[cpus.size() / 2]);
    }
    fling(data);
    std::error_code ignored;
    fs::remove_all(data, ignored);
    return 0;
}
