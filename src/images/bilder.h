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

// The command procedure: "GibBildPtr" gives images::Picture(fileName),
// other words null.
rt::Image Bilder(std::string_view Aufgabe, std::string_view fileName);

namespace images {
// The image of fileName, loaded on first use and kept by the store until the
// run ends. A file that is missing, or one picture too many, ends the program
// with a message.
rt::Image Picture(std::string_view fileName);
}  // namespace images

}  // namespace wimmel
