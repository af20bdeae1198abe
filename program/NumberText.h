#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pavlune {

// Numbers typed on cards, and how they are written into program text and
// que instructions.

// The number on a card: the leading number of `value` (as atof reads it; a
// value that does not start with a number counts as 0) times `multiplier`,
// in double precision. A result that is not finite ("inf", "nan", "1e999",
// or an overflowing product) counts as 0: such text comes only from a
// damaged or hand-edited program file and must not reach the board.
double typedNumber(const std::string& value, double multiplier);

// The number an input card writes into a program: typedNumber rounded to the
// nearest whole number, the same in every dialect and the same as the card's
// back shows. Accepted values always scale to whole numbers (whole
// sixtieths, whole milliseconds, whole turns); the rounding only absorbs the
// binary error of a product such as 2.3 x 60 (137.99999999999997), which
// truncating would turn into 137.
double scaledInputNumber(const std::string& value, double multiplier);

// Typed text with the digits, the full-width point and the ideographic full
// stop of a Japanese input method read as "0"-"9" and ".": "１２．５" and
// "１２。５" both become "12.5". Everything else is left as it is, for the
// number rule to judge.
std::string halfWidthNumber(const std::string& typed);

// A number as a standard output stream writes it by default: at most six
// significant digits, no trailing zeros, exponent form for large or small
// magnitudes ("180", "2.5", "0.1", "1.23457e+06"), whatever the locale.
std::string formatNumber(double number);

// Replaces every occurrence of `placeholder` in `text` by the formatted
// number, searching on after each inserted number. An empty placeholder
// replaces nothing.
std::string substituteNumber(const std::string& text, const std::string& placeholder, double number);

// Text typed into a card's number editor, as the card then stores it, or
// nothing when the text is refused. Accepted: digits with at most one ".",
// or the empty text; a leading "." gets a "0" in front (".5" becomes "0.5").
// Also refused: a number that, scaled by any of `multipliers`, would be
// written in exponent form, either rounded (the card's back) or as it is
// (program text): the digit maps cannot draw "1.2e+06" and the board cannot
// read it. Passing the multipliers of every dialect keeps a later change of
// dialect from producing such a number.
std::optional<std::string> acceptTypedNumber(const std::string& text, const std::vector<float>& multipliers);

// The 16-bit operand a number becomes in a que instruction: truncated toward
// zero, then taken modulo 65536 (a negative number gives its two's
// complement low 16 bits). Exact for every finite number, so a huge value
// such as 1e30 is well defined; a non-finite number gives 0.
std::uint16_t toInstructionOperand(double number);

} // namespace pavlune
