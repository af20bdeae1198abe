#pragma once

// Runs a shell command and gives what it wrote on standard output with its
// exit status (as pclose gives it; -1 when it could not start).

#include <cstdio>
#include <string>

namespace pavlune::test {

struct CommandOutput {
    int status = -1;
    std::string out;
};

inline CommandOutput runCommand(const std::string& command) {
    CommandOutput result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        return result;
    }
    char buffer[4096];
    for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        result.out.append(buffer, n);
    }
    result.status = ::pclose(pipe);
    return result;
}

} // namespace pavlune::test
