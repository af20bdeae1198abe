// pavlune-export: prints what a field program sends to the board.
#include "engine/base/Log.h"
#include "export/ExportCommand.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // A port that does not open or a write that fails is told in the tool's
    // own line; the log adds only what the tool does not say (a store it
    // cannot read, say).
    engine::Log::setThreshold(engine::Log::Level::Error);
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    pavlune::ExportCommand command(std::cin, std::cout, std::cerr);
    const int status = command.run(arguments);
    std::cout.flush();
    return std::cout.good() ? status : 1;
}
