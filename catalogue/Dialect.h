#pragma once

namespace pavlune {

// The code dialect in which cards are shown and programs are generated. The
// values index every per-dialect table and must not change.
enum Dialect : int {
    jam = 0,   // line-numbered BASIC-like text
    latte = 1, // C-like script text
    que = 2,   // 8-byte instructions with a Japanese reading
};

inline constexpr int kDialectCount = 3;

} // namespace pavlune
