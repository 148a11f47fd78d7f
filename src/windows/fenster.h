// The window system: numbered windows with off-screen bitmaps, driven by
// command words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wimmel {

std::string Fenster(std::string_view Aufgabe, int32_t Nr, int32_t W1, int32_t W2, int32_t W3,
                    int32_t W4, std::string_view Text);

}  // namespace wimmel
