// Brightness, contrast, saturation and hue of a bitmap, by the colour model the library's
// header documents.
#pragma once

#include "kadrix/platform/picture.h"

namespace kadrix::leadtools {

struct QualityAdjustment {
    int brightness = 0;  // -1000..1000
    int contrast = 0;    // -1000..1000
    int saturation = 0;  // -1000..1000
    int hue = 0;         // -100..100
};

// Values beyond the ranges are clamped; all zero leaves the pixels as they are.
void adjustQuality(platform::Bitmap& bitmap, QualityAdjustment amounts);

}  // namespace kadrix::leadtools
