// Number text, rounding, upper-casing and the random number generator.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "runtime/decimal.h"
#include "runtime/internal.h"

namespace wimmel::rt {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

double Random(double arg) {
  detail::RuntimeState& state = detail::State();
  if (arg != 0.0) state.lastRandom = state.twister.Next() / 4294967296.0;
  return state.lastRandom;
}

// ---------------------------------------------------------------- text

std::string IntToText(int64_t value) {
  return std::to_string(value);
}

std::string UIntToText(uint32_t value) {
  return std::to_string(value);
}

std::string RealToText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
  if (value == 0.0) return "0";
  // %.16g rounds to 16 significant digits, drops trailing zeros and the
  // point, and turns to exponent notation below 1e-4 and from 1e16 on.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16g", value);
  return buf;
}

double TextToNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i + 1 < text.size() && text[i] == '&') {
    const char kind = static_cast<char>(text[i + 1] & ~0x20);
    int base = 0;
    if (kind == 'H') base = 16;
    if (kind == 'B') base = 2;
    if (kind == 'O') base = 8;
    if (base != 0) {
      double value = 0;
      for (size_t j = i + 2; j < text.size(); ++j) {
        const char c = text[j];
        int digit = -1;
        if (IsDigit(c)) digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0 || digit >= base) break;
        value = value * base + digit;
      }
      return value;
    }
  }
  // The longest leading decimal number: sign, digits, point, digits, exponent.
  const size_t start = i;
  size_t j = i;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
  size_t digits = 0;
  while (j < text.size() && IsDigit(text[j])) ++j, ++digits;
  if (j < text.size() && text[j] == '.') {
    ++j;
    while (j < text.size() && IsDigit(text[j])) ++j, ++digits;
  }
  if (digits == 0) return 0.0;
  if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
    size_t k = j + 1;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    if (k < text.size() && IsDigit(text[k])) {
      while (k < text.size() && IsDigit(text[k])) ++k;
      j = k;
    }
  }
  const std::string number(text.substr(start, j - start));
  return std::strtod(number.c_str(), nullptr);
}

std::string FormatNumber(double value, std::string_view pattern) {
  // The pattern gives the number of decimals, the digits always shown before
  // the point, and whether thousands are grouped.
  const size_t point = pattern.find('.');
  const std::string_view whole = pattern.substr(0, point);
  int decimals = 0;
  if (point != std::string_view::npos) {
    for (char c : pattern.substr(point + 1)) {
      if (c == '0' || c == '#') ++decimals;
    }
  }
  int minWhole = 0;
  for (char c : whole) {
    if (c == '0') ++minWhole;
  }
  minWhole = std::max(minWhole, 1);
  const bool group = whole.find(',') != std::string_view::npos;
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";

  // Round on the shortest decimal form of the value, halves to even, so 0.125
  // and 0.005 round the way they read rather than by their binary error.
  const bool negative = std::signbit(value);
  std::string digits = ShortestFixed(std::fabs(value));
  const size_t dot = digits.find('.');
  std::string intPart = dot == std::string::npos ? digits : digits.substr(0, dot);
  std::string frac = dot == std::string::npos ? std::string() : digits.substr(dot + 1);
  if (static_cast<int>(frac.size()) > decimals) {
    const char next = frac[decimals];
    const bool restNonZero = frac.find_first_not_of('0', decimals + 1) != std::string::npos;
    frac.resize(decimals);
    std::string all = intPart + frac;
    const bool lastOdd = !all.empty() && ((all.back() - '0') & 1);
    const bool up = next > '5' || (next == '5' && (restNonZero || lastOdd));
    if (up) {
      int k = static_cast<int>(all.size()) - 1;
      while (k >= 0 && all[k] == '9') all[k--] = '0';
      if (k >= 0) {
        ++all[k];
      } else {
        all.insert(all.begin(), '1');
      }
    }
    intPart = all.substr(0, all.size() - decimals);
    frac = all.substr(all.size() - decimals);
  } else {
    frac.append(decimals - frac.size(), '0');
  }
  // Leading zeros beyond the shown minimum go.
  const size_t nz = intPart.find_first_not_of('0');
  intPart = nz == std::string::npos ? std::string() : intPart.substr(nz);
  if (static_cast<int>(intPart.size()) < minWhole) {
    intPart.insert(0, minWhole - intPart.size(), '0');
  }
  if (group) {
    std::string grouped;
    const int n = static_cast<int>(intPart.size());
    for (int k = 0; k < n; ++k) {
      grouped += intPart[k];
      if ((n - 1 - k) % 3 == 0 && k != n - 1) grouped += ',';
    }
    intPart = grouped;
  }
  const bool zero = intPart.find_first_not_of("0,") == std::string::npos &&
                    frac.find_first_not_of('0') == std::string::npos;
  std::string out = (negative && !zero) ? "-" : "";
  out += intPart;
  if (decimals > 0) out += "." + frac;
  return out;
}

int32_t RoundToInt(double value) {
  if (std::isnan(value)) return 0;
  const double r = std::nearbyint(value);
  if (r >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (r <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace wimmel::rt
