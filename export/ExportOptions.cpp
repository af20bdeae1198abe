#include "export/ExportOptions.h"

#include "catalogue/Dialect.h"
#include "export/TextEscaping.h"

namespace pavlune {

namespace {

std::optional<Dialect> dialectNamed(const std::string& name) {
    if (name == "jam") {
        return jam;
    }
    if (name == "latte") {
        return latte;
    }
    if (name == "que") {
        return que;
    }
    return std::nullopt;
}

} // namespace

ExportArgumentParser::ExportArgumentParser() {
    options_.push_back({"--dialect", "jam|latte|que", "the dialect to generate",
                        [](ExportOptions& options, const std::string& value, std::string& error) {
                            options.dialect = dialectNamed(value);
                            if (!options.dialect) {
                                error = "unknown dialect \"" + escapeText(value) +
                                        "\" (expected jam, latte or que)";
                                return false;
                            }
                            return true;
                        }});
    options_.push_back({"--listing", "", "print one line per send unit instead of the bytes",
                        [](ExportOptions& options, const std::string&, std::string&) {
                            options.listing = true;
                            return true;
                        }});
    options_.push_back({"--lines", "", "print the program's lines as the editor's program panel shows them",
                        [](ExportOptions& options, const std::string&, std::string&) {
                            options.lines = true;
                            return true;
                        }});
    options_.push_back(
        {"--schedule", "",
         "print the send as JSON steps: bytes, pauses with their deadlines (the browser's pacer)",
         [](ExportOptions& options, const std::string&, std::string&) {
             options.schedule = true;
             return true;
         }});
    options_.push_back({"--send", "DEVICE", "send the program to the board on DEVICE, echoing it",
                        [](ExportOptions& options, const std::string& value, std::string& error) {
                            if (value.empty()) {
                                error = "option --send needs a DEVICE, not an empty name";
                                return false;
                            }
                            options.sendDevice = value;
                            return true;
                        }});
    options_.push_back({"--stop", "DEVICE", "stop the board's program on DEVICE (no FILE)",
                        [](ExportOptions& options, const std::string& value, std::string& error) {
                            if (value.empty()) {
                                error = "option --stop needs a DEVICE, not an empty name";
                                return false;
                            }
                            options.stopDevice = value;
                            return true;
                        }});
    options_.push_back({"--print", "FILE.pdf",
                        "write the program as paper cards to print (no --dialect needed)",
                        [](ExportOptions& options, const std::string& value, std::string& error) {
                            if (value.empty()) {
                                error = "option --print needs a FILE.pdf, not an empty name";
                                return false;
                            }
                            options.printFile = value;
                            return true;
                        }});
    options_.push_back({"--list-ports", "", "list the serial ports that a search finds",
                        [](ExportOptions& options, const std::string&, std::string&) {
                            options.listPorts = true;
                            return true;
                        }});
    options_.push_back({"--list-programs", "", "list the saved programs: identifier, time stamp, title",
                        [](ExportOptions& options, const std::string&, std::string&) {
                            options.listPrograms = true;
                            return true;
                        }});
    options_.push_back({"--program", "ID|FILE.plist",
                        "take a saved program (its identifier, or a program file) instead of a rows FILE",
                        [](ExportOptions& options, const std::string& value, std::string& error) {
                            if (value.empty()) {
                                error = "option --program needs an identifier or a .plist file";
                                return false;
                            }
                            options.program = value;
                            return true;
                        }});
    options_.push_back(
        {"--help", "", "print this help", [](ExportOptions& options, const std::string&, std::string&) {
             options.help = true;
             return true;
         }});
}

const ExportArgumentParser::Option* ExportArgumentParser::find(const std::string& name) const {
    for (const Option& option : options_) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

bool ExportArgumentParser::parse(const std::vector<std::string>& arguments, ExportOptions& options,
                                 std::string& error) const {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool looksLikeOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!looksLikeOption) {
            if (!options.file.empty()) {
                error = "more than one FILE: \"" + escapeText(argument) + "\"";
                return false;
            }
            options.file = argument;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const Option* option = find(name);
        if (!option) {
            error = "unknown option \"" + escapeText(name) + "\"";
            return false;
        }
        std::string value;
        if (option->valueName.empty()) {
            if (equals != std::string::npos) {
                error = "option " + name + " takes no value";
                return false;
            }
        } else if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = "option " + name + " needs a value (" + option->valueName + ")";
            return false;
        }
        if (!option->apply(options, value, error)) {
            return false;
        }
    }
    return true;
}

std::string ExportArgumentParser::usage() const {
    std::string text = "usage: pavlune-export --dialect jam|latte|que [--listing|--lines|--schedule] FILE\n"
                       "       pavlune-export --dialect jam|latte|que --send DEVICE FILE\n"
                       "       pavlune-export --dialect jam|latte|que --stop DEVICE\n"
                       "       pavlune-export --print FILE.pdf FILE\n"
                       "       pavlune-export --list-ports\n"
                       "Prints what a field program sends to the board. FILE (\"-\" for standard input)\n"
                       "holds one line per field row: empty, or \"SET INDEX [VALUE]\".\n"
                       "options:\n";
    for (const Option& option : options_) {
        std::string left = "  " + option.name;
        if (!option.valueName.empty()) {
            left += ' ' + option.valueName;
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 28), ' ');
        text += left + option.help + '\n';
    }
    return text;
}

} // namespace pavlune
