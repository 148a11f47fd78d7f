// The window system: numbered windows with off-screen bitmaps, driven by
// command words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/owned.h"

namespace wimmel {

namespace windows {
struct WindowTable;
}
// The window table of one run (see runtime/owned.h).
using WindowsModule = Owned<windows::WindowTable>;

std::string Fenster(std::string_view Aufgabe, int32_t Nr, int32_t W1, int32_t W2, int32_t W3,
                    int32_t W4, std::string_view Text);

}  // namespace wimmel
