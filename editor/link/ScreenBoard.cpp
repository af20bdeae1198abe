#include "editor/link/ScreenBoard.h"

#include "device/PavluneCardSerialManager.h"
#include "editor/EditorTexts.h"
#include "editor/link/LineReader.h"
#include "engine/2d/Director.h"
#include "sim/LineReport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kStartTimeoutMs = 3000;

std::string besideThisProgram(const std::string& name) {
    std::array<char, 4096> self{};
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length <= 0) {
        return name;
    }
    std::string path(self.data(), static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + name;
}

} // namespace

bool ScreenBoard::canStart() {
    return true;
}

ScreenBoard& ScreenBoard::get() {
    static ScreenBoard board;
    return board;
}

ScreenBoard::ScreenBoard() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    link_ =
        std::string(runtime && *runtime ? runtime : "/tmp") + "/" + kProgram + "-" + std::to_string(getpid());
}

ScreenBoard::~ScreenBoard() {
    stop();
}

void ScreenBoard::listIn(pavlune::PavluneCardSerialManager& serial) const {
    serial.setLastPort(link_, EditorTexts::kScreenBoardName);
}

bool ScreenBoard::isChosen(const pavlune::PavluneCardSerialManager& serial) const {
    const auto selected = serial.getSelectedPort();
    return selected && selected->name == link_;
}

bool ScreenBoard::isRunning() {
    if (child_ > 0 && waitpid(child_, nullptr, WNOHANG) == 0) {
        return true;
    }
    child_ = -1; // closed by the child, or never started
    return false;
}

bool ScreenBoard::isReady() {
    struct stat link {};
    return isRunning() && lstat(link_.c_str(), &link) == 0;
}

void ScreenBoard::stop() {
    reader_.reset(); // before the descriptor it reads is closed
    forgetProgram();
    if (isRunning()) {
        kill(child_, SIGTERM);
        waitpid(child_, nullptr, 0);
        child_ = -1;
    }
    if (output_ >= 0) {
        close(output_);
        output_ = -1;
    }
    unlink(link_.c_str());
}

std::string ScreenBoard::readFirstLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            return {};
        }
        char byte = 0;
        if (read(fd, &byte, 1) != 1) {
            return {};
        }
        line += byte;
    }
    return line.substr(0, line.find('\n'));
}

int ScreenBoard::spawn(const std::string& beside, std::string& failure) {
    stop();
    const std::string program = besideThisProgram(kProgram);
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0) {
        failure = std::strerror(errno);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>("--window"),
                            const_cast<char*>("--lines")};
    const std::string besideArgument = "--beside=" + beside;
    if (!beside.empty()) {
        argv.push_back(const_cast<char*>(besideArgument.c_str()));
    }
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&child_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe[1]);
    output_ = pipe[0];
    if (spawned != 0) {
        child_ = -1;
        failure = program + ": " + std::strerror(spawned);
        stop();
        return -1;
    }
    return output_;
}

bool ScreenBoard::attach(const std::string& device, std::string& failure) {
    if (!isRunning() || device.empty() || symlink(device.c_str(), link_.c_str()) != 0) {
        failure = std::string(kProgram) + (device.empty() || !isRunning()
                                               ? ": did not name its line"
                                               : ": " + std::string(std::strerror(errno)));
        stop();
        return false;
    }
    listen(output_);
    return true;
}

void ScreenBoard::listen(int fd) {
    reader_.reset();
    forgetProgram();
    newest_ = 0; // another simulator counts its programs from 1 again
    if (fd < 0) {
        return;
    }
    reader_ = std::make_shared<LineReader>(
        fd, engine::Director::getInstance()->getScheduler(),
        [this](const std::string& report) { heard(report); }, [this] { forgetProgram(); });
}

void ScreenBoard::expectProgram(const pavlune::CatalogueView& view, const pavlune::FieldRows& rows) {
    rows_ = pavlune::RunningRows(view, rows);
    claimAbove_ = newest_;
    ours_.reset();
    show(std::nullopt);
}

void ScreenBoard::sendStarts(const pavlune::PavluneCardSerialManager& serial,
                             const pavlune::CatalogueView& view, const pavlune::FieldRows& rows) {
    if (isChosen(serial)) {
        expectProgram(view, rows);
    } else {
        forgetProgram(); // the field's program runs on another board now
    }
}

void ScreenBoard::forgetProgram() {
    claimAbove_.reset();
    ours_.reset();
    show(std::nullopt);
}

void ScreenBoard::heard(const std::string& report) {
    const std::optional<pavlune::LineReport::Line> line = pavlune::LineReport::parse(report);
    if (!line) {
        return; // not a report (the simulator's other output)
    }
    newest_ = std::max(newest_, line->program);
    if (claimAbove_ && line->program > *claimAbove_) {
        ours_ = line->program;
        claimAbove_.reset();
    }
    show(ours_ == line->program && line->line ? rows_.rowOf(*line->line) : std::nullopt);
}

void ScreenBoard::show(std::optional<int> row) {
    if (row != row_) {
        row_ = row;
        onChange();
    }
}
