// Decimal text of floating-point numbers, written with the C library's exact
// printf and strtod, so that every build of the program (the WebAssembly one
// included, whose C++ library has no floating-point to_chars or from_chars)
// writes and reads numbers the same way.
#pragma once

#include <string>
#include <string_view>

namespace wimmel::rt {

// The shortest text without exponent that reads back as the finite value:
// the fewest digits after the point (none when none are needed), and of
// texts of that length the one nearest to the value. Large whole numbers
// come out exactly ("1e23" is 99999999999999991611392).
std::string ShortestFixed(double value);

// How a number may be written for ReadDecimal.
enum class DecimalForm {
  kFixed,    // an optional minus, digits, an optional point with digits
  kGeneral,  // the same, with an optional exponent ("e", a sign, digits)
};

// Reads text that is one decimal number in the form and nothing else: no
// blanks, no plus sign in front, no hexadecimal, no infinities or NaN, at
// least one digit before or after the point. False also when the number is
// too large for a double, or so small that it would read as zero.
bool ReadDecimal(std::string_view text, DecimalForm form, double& value);

}  // namespace wimmel::rt
