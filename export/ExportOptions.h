#pragma once

#include "catalogue/Dialect.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pavlune {

// What the command line of pavlune-export asked for.
struct ExportOptions {
    std::optional<Dialect> dialect;
    bool listing = false;
    // The program's lines as people read them instead of the bytes.
    bool lines = false;
    // The send's steps as the browser's pacer takes them.
    bool schedule = false;
    bool help = false;
    // The field program file; "-" is standard input. Empty when not given.
    std::string file;
    // Serial actions instead of printing: send the program to this device,
    // stop the board's program on it, or list the serial ports.
    std::string sendDevice;
    std::string stopDevice;
    bool listPorts = false;
    // Print the program as paper cards into this PDF file instead.
    std::string printFile;
    // A saved program instead of FILE: its identifier or its program file;
    // or the list of saved programs.
    std::string program;
    bool listPrograms = false;
};

// Parses the command line of pavlune-export. Options are table entries, so a
// new one is one entry in the constructor plus a field in ExportOptions:
// "--name VALUE" and "--name=VALUE" both work for options with a value; "--"
// ends the options; the one remaining operand is FILE.
class ExportArgumentParser {
public:
    ExportArgumentParser();

    // False with a one-line `error` for an unknown option, a missing or bad
    // value, or a second FILE.
    bool parse(const std::vector<std::string>& arguments, ExportOptions& options, std::string& error) const;
    std::string usage() const;

private:
    struct Option {
        std::string name;      // "--dialect"
        std::string valueName; // shown in the usage; empty for a flag
        std::string help;
        // Stores the value (empty for a flag); false with `error` on a bad value.
        std::function<bool(ExportOptions&, const std::string& value, std::string& error)> apply;
    };

    const Option* find(const std::string& name) const;

    std::vector<Option> options_;
};

} // namespace pavlune
