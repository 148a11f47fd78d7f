// Feeds arbitrary text to the number parser and the number writers. The
// parser never reads past the text; a finite value written by RealToText
// reads back within its 16 significant digits.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runtime/runtime.h"

namespace rt = wimmel::rt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double v = rt::TextToNumber(text);
  if (std::isnan(v)) std::abort();
  if (std::isfinite(v)) {
    const double back = rt::TextToNumber(rt::RealToText(v));
    if (std::fabs(back - v) > std::fabs(v) * 1e-15) std::abort();
    (void)rt::FormatNumber(v, "#,####0.0000");
    (void)rt::FormatNumber(v, "#,##0.00");
  }
  (void)rt::RoundToInt(v);
  return 0;
}
