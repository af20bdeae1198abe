#pragma once

#include <cctype>
#include <string>

namespace pavlune {

// `text` without the blanks (spaces, tabs, carriage returns) at either end.
inline std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The board reads jam in capitals whatever was typed.
inline std::string upperCased(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

} // namespace pavlune
