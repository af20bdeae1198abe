#include "program/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <sstream>

namespace pavlune {

double typedNumber(const std::string& value, double multiplier) {
    // strtod reads exactly what atof reads and gives 0 when nothing parses.
    const double typed = std::strtod(value.c_str(), nullptr);
    if (!std::isfinite(typed)) {
        return 0.0;
    }
    const double number = typed * multiplier;
    return std::isfinite(number) ? number : 0.0;
}

double scaledInputNumber(const std::string& value, double multiplier) {
    return std::round(typedNumber(value, multiplier));
}

std::string halfWidthNumber(const std::string& typed) {
    // U+FF10..U+FF19 and U+FF0E are EF BC 90..99 and EF BC 8E in UTF-8;
    // U+3002 is E3 80 82.
    std::string result;
    result.reserve(typed.size());
    for (std::size_t at = 0; at < typed.size();) {
        const auto byte = [&](std::size_t offset) { return static_cast<unsigned char>(typed[at + offset]); };
        if (at + 2 < typed.size() && byte(0) == 0xEF && byte(1) == 0xBC) {
            if (byte(2) >= 0x90 && byte(2) <= 0x99) {
                result += static_cast<char>('0' + (byte(2) - 0x90));
                at += 3;
                continue;
            }
            if (byte(2) == 0x8E) {
                result += '.';
                at += 3;
                continue;
            }
        }
        if (at + 2 < typed.size() && byte(0) == 0xE3 && byte(1) == 0x80 && byte(2) == 0x82) {
            result += '.';
            at += 3;
            continue;
        }
        result += typed[at++];
    }
    return result;
}

std::string formatNumber(double number) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << number;
    return out.str();
}

std::string substituteNumber(const std::string& text, const std::string& placeholder, double number) {
    if (placeholder.empty()) {
        return text;
    }
    const std::string formatted = formatNumber(number);
    std::string result = text;
    std::size_t at = result.find(placeholder);
    while (at != std::string::npos) {
        result.replace(at, placeholder.size(), formatted);
        at = result.find(placeholder, at + formatted.size());
    }
    return result;
}

namespace {

bool isPlainNumber(const std::string& text) {
    return text.find_first_not_of("0123456789.") == std::string::npos;
}

} // namespace

std::optional<std::string> acceptTypedNumber(const std::string& text, const std::vector<float>& multipliers) {
    if (!isPlainNumber(text) || std::count(text.begin(), text.end(), '.') > 1) {
        return std::nullopt;
    }
    for (const float multiplier : multipliers) {
        const double scaled = typedNumber(text, multiplier);
        if (!isPlainNumber(formatNumber(scaled)) || !isPlainNumber(formatNumber(std::round(scaled)))) {
            return std::nullopt;
        }
    }
    return text.starts_with('.') ? "0" + text : text;
}

std::uint16_t toInstructionOperand(double number) {
    if (!std::isfinite(number)) {
        return 0;
    }
    // fmod is exact, so this is the true remainder even where a cast to an
    // integer type would overflow.
    double low = std::fmod(std::trunc(number), 65536.0);
    if (low < 0) {
        low += 65536.0;
    }
    return static_cast<std::uint16_t>(low);
}

} // namespace pavlune
