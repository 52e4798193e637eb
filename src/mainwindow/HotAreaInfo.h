// Where each of the device's 50 controllers lies on the device picture, and how its caption
// box is staggered against its neighbours. Row i belongs to controller index i.
// resources/device/hot-areas.json holds the same rows for the picture's generator; a test
// keeps the two equal.
#pragma once

#include "document/SPatchParam.h"
#include "framework/core/MacTypes.h"

#include <cstdint>

struct SHotAreaInfo {
  Rect hotRect;       // local coordinates of the picture pane
  std::int8_t lines;  // height, in text lines, of the block the caption box is centred in
  std::int8_t row;    // text lines by which the caption box moves down (negative: up)
};

extern const SHotAreaInfo kHotAreaInfo[kControllerCount];
