// The colour model of LT_ChangeBitmapQuality: a chroma turn and scale in YCbCr, then one tone
// curve (contrast around mid-grey, then brightness) as a table per channel value.
#include "quality_adjustment.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kadrix::leadtools {

namespace {

using Table = std::array<uint8_t, 256>;

uint8_t toByte(double value) {
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

Table toneTable(int brightness, int contrast) {
    double factor = 1.0;
    if (contrast < 0)
        factor = 1.0 + contrast / 1000.0;
    if (contrast > 0)
        factor = contrast >= 1000 ? 256.0 : 1000.0 / (1000.0 - contrast);
    const double offset = brightness * 255.0 / 1000.0;
    Table table{};
    for (int v = 0; v < 256; ++v) table[v] = toByte(127.5 + (v - 127.5) * factor + offset);
    return table;
}

void adjustChroma(platform::Bitmap& bitmap, int saturation, int hue) {
    const double scale = 1.0 + saturation / 1000.0;
    const double angle = hue * 1.8 * std::numbers::pi / 180.0;
    const double cosine = scale * std::cos(angle), sine = scale * std::sin(angle);
    for (int y = 0; y < bitmap.height(); ++y) {
        uint8_t* p = bitmap.row(y);
        for (int x = 0; x < bitmap.width(); ++x, p += 3) {
            const double b = p[0], g = p[1], r = p[2];
            const double luma = 0.299 * r + 0.587 * g + 0.114 * b;
            const double cb = (b - luma) / 1.772, cr = (r - luma) / 1.402;
            const double cb2 = cb * cosine - cr * sine, cr2 = cb * sine + cr * cosine;
            const double r2 = luma + 1.402 * cr2, b2 = luma + 1.772 * cb2;
            const double g2 = (luma - 0.299 * r2 - 0.114 * b2) / 0.587;
            p[0] = toByte(b2);
            p[1] = toByte(g2);
            p[2] = toByte(r2);
        }
    }
}

}  // namespace

void adjustQuality(platform::Bitmap& bitmap, QualityAdjustment amounts) {
    const int brightness = std::clamp(amounts.brightness, -1000, 1000);
    const int contrast = std::clamp(amounts.contrast, -1000, 1000);
    const int saturation = std::clamp(amounts.saturation, -1000, 1000);
    const int hue = std::clamp(amounts.hue, -100, 100);
    // Neutral stages are skipped, so that zeros give back the very same pixels.
    if (saturation != 0 || hue != 0)
        adjustChroma(bitmap, saturation, hue);
    if (brightness == 0 && contrast == 0)
        return;
    const Table table = toneTable(brightness, contrast);
    const size_t rowBytes = static_cast<size_t>(bitmap.width()) * 3;
    for (int y = 0; y < bitmap.height(); ++y) {
        uint8_t* p = bitmap.row(y);
        for (size_t i = 0; i < rowBytes; ++i) p[i] = table[p[i]];
    }
}

}  // namespace kadrix::leadtools
