// The scene objects: a cottage with its sign, three timber-framed houses and
// a merry-go-round.
#pragma once

#include "picture.h"

namespace assetgen {

Picture Cottage();  // 120 × 120, "QumyH"
Picture HouseA();   // 112 × 112
Picture HouseC();
Picture HouseD();
Picture Carousel();  // 112 × 112, "Kreisel1"

}  // namespace assetgen
