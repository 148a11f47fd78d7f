#include "runtime/decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace wimmel::rt {

namespace {

bool ReadsBackAs(const std::string& text, double value) {
  return std::strtod(text.c_str(), nullptr) == value;
}

// The text with one more unit in its last digit ("0.19" gives "0.20",
// "9.9" gives "10.0").
std::string NextUp(std::string text) {
  int k = static_cast<int>(text.size()) - 1;
  for (; k >= 0; --k) {
    if (text[k] == '.') continue;
    if (text[k] == '-') break;
    if (text[k] != '9') {
      ++text[k];
      return text;
    }
    text[k] = '0';
  }
  text.insert(static_cast<size_t>(k + 1), 1, '1');
  return text;
}

}  // namespace

std::string ShortestFixed(double value) {
  if (!std::isfinite(value)) return value != value ? "nan" : (value < 0 ? "-inf" : "inf");
  const double magnitude = std::fabs(value);
  // At a power of two the doubles below lie twice as close together as
  // those above, so the nearest text may not read back where the next one
  // up does.
  int mantissaExponent = 0;
  const bool powerOfTwo = std::frexp(magnitude, &mantissaExponent) == 0.5;
  // Digits after the point that cannot be too many: the first significant
  // digit lies at 10^floor(log10(magnitude)).
  int places = 0;
  if (magnitude != 0 && magnitude < 1) {
    places = std::max(0, -static_cast<int>(std::floor(std::log10(magnitude))) - 2);
  }
  // Between the smallest normal double and 10^15 at most one decimal of 15
  // significant digits or fewer reads back as the value (they lie further
  // apart than the doubles around it; subnormal doubles lie further apart).
  // So when printf's 15 digits read back, they without their trailing
  // zeros are the answer; when not, it has 16 or 17 digits. Either way most
  // of the search below is skipped.
  if (!powerOfTwo && magnitude >= std::numeric_limits<double>::min() && magnitude < 1e15) {
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.14e", magnitude);
    const int exponent = std::atoi(std::strchr(scientific, 'e') + 1);
    if (std::strtod(scientific, nullptr) == magnitude) {
      // "d.dddddddddddddde..": the k-th digit (k >= 2) is at index k.
      int digits = 15;
      while (digits > 1 && scientific[digits] == '0') --digits;
      places = std::max(0, digits - 1 - exponent);
    } else {
      places = std::max(0, 15 - exponent);
    }
  }
  std::string text;
  for (;; ++places) {
    const int length = std::snprintf(nullptr, 0, "%.*f", places, value);
    text.assign(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", places, value);
    text.resize(static_cast<size_t>(length));
    if (ReadsBackAs(text, value)) return text;
    if (powerOfTwo && std::fabs(std::strtod(text.c_str(), nullptr)) < magnitude) {
      const std::string up = NextUp(text);
      if (ReadsBackAs(up, value)) return up;
    }
  }
}

bool ReadDecimal(std::string_view text, DecimalForm form, double& value) {
  const auto digitsFrom = [&text](size_t i) {
    size_t j = i;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    return j - i;
  };
  size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  const size_t mantissa = i;
  const size_t whole = digitsFrom(i);
  i += whole;
  size_t fraction = 0;
  if (i < text.size() && text[i] == '.') {
    fraction = digitsFrom(i + 1);
    i += 1 + fraction;
  }
  if (whole + fraction == 0) return false;
  const std::string_view digits = text.substr(mantissa, i - mantissa);
  if (form == DecimalForm::kGeneral && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const size_t exponent = digitsFrom(j);
    if (exponent == 0) return false;
    i = j + exponent;
  }
  if (i != text.size()) return false;
  const std::string copy(text);
  const double read = std::strtod(copy.c_str(), nullptr);
  if (std::isinf(read)) return false;
  if (read == 0 && digits.find_first_of("123456789") != std::string_view::npos) return false;
  value = read;
  return true;
}

}  // namespace wimmel::rt
