#pragma once

#include <string>
#include <string_view>

namespace pavlune {

// The sheet a printout is laid out on, in PDF points (1/72 inch). A4 unless
// the user's locale is one of the territories that print on US Letter.
struct PaperSize {
    double width = 0;
    double height = 0;

    static PaperSize a4();
    static PaperSize letter();

    // From a locale name such as "en_US.UTF-8" or "fr_CA@euro": Letter when
    // its territory prints on Letter, A4 otherwise ("C", "POSIX", none).
    static PaperSize forLocale(std::string_view locale);
    // From the environment as the C library reads it: LC_ALL, else LC_PAPER,
    // else LANG, the first that is set and not empty.
    static PaperSize fromEnvironment();

    bool operator==(const PaperSize&) const = default;
};

} // namespace pavlune
