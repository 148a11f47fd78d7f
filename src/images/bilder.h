// The picture store: BMP files loaded once and handed out by file name.
#pragma once

#include <string_view>

#include "runtime/owned.h"
#include "runtime/runtime.h"

namespace wimmel {

namespace images {
struct PictureStore;
}
// The picture store of one run (see runtime/owned.h).
using ImagesModule = Owned<images::PictureStore>;

// "GibBildPtr": the image of fileName, loaded on first use. Other words: null.
rt::Image Bilder(std::string_view Aufgabe, std::string_view fileName);

}  // namespace wimmel
