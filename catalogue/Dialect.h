#pragma once

#include <optional>

namespace pavlune {

// The code dialect in which cards are shown and programs are generated. The
// values index every per-dialect table and must not change.
enum Dialect : int {
    jam = 0,   // line-numbered BASIC-like text
    latte = 1, // C-like script text
    que = 2,   // 8-byte instructions with a Japanese reading
};

inline constexpr int kDialectCount = 3;

// The dialect with this index (a chooser's tag, a command-line value), or
// nothing outside 0..2.
constexpr std::optional<Dialect> dialectFromIndex(int index) {
    return index >= 0 && index < kDialectCount ? std::optional<Dialect>(static_cast<Dialect>(index))
                                               : std::nullopt;
}

} // namespace pavlune
