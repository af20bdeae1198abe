// pavlune-export: prints what a field program sends to the board.
#include "export/ExportCommand.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    pavlune::ExportCommand command(std::cin, std::cout, std::cerr);
    const int status = command.run(arguments);
    std::cout.flush();
    return std::cout.good() ? status : 1;
}
