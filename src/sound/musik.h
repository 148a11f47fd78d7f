// The music player: the intro and three scene tracks through the sound
// library layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wimmel {

std::string Musik(std::string_view Aufgabe, std::string_view text, int32_t n);

}  // namespace wimmel
