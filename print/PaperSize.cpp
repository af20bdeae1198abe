#include "print/PaperSize.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace pavlune {

namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;

// The territories whose locales print on Letter (glibc's LC_PAPER tables).
constexpr std::array<std::string_view, 14> kLetterTerritories{
    "US", "CA", "MX", "PR", "PH", "CL", "CO", "VE", "CR", "GT", "PA", "NI", "SV", "BZ",
};

std::string_view territoryOf(std::string_view locale) {
    const std::size_t underscore = locale.find('_');
    if (underscore == std::string_view::npos) {
        return {};
    }
    const std::string_view rest = locale.substr(underscore + 1);
    return rest.substr(0, rest.find_first_of(".@"));
}

} // namespace

PaperSize PaperSize::a4() {
    return {210 * kPointsPerMillimetre, 297 * kPointsPerMillimetre};
}

PaperSize PaperSize::letter() {
    return {8.5 * 72, 11 * 72};
}

PaperSize PaperSize::forLocale(std::string_view locale) {
    const std::string_view territory = territoryOf(locale);
    const bool isLetter = std::find(kLetterTerritories.begin(), kLetterTerritories.end(), territory) !=
                          kLetterTerritories.end();
    return isLetter ? letter() : a4();
}

PaperSize PaperSize::fromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_PAPER", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return forLocale(value);
        }
    }
    return a4();
}

} // namespace pavlune
