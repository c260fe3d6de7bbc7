// The entries of "LeadToolsAPI.dll". Nothing thrown leaves them: failures become result codes.
#include <new>

#include "leadtools/leadtools_api.h"
#include "picture_scaling.h"
#include "quality_adjustment.h"

namespace {

using kadrix::platform::Bitmap;

bool sizeInRange(int width, int height) {
    return width >= 1 && height >= 1 && width <= Bitmap::MaxSide && height <= Bitmap::MaxSide &&
           int64_t{width} * height <= Bitmap::MaxPixels;
}

}  // namespace

extern "C" {

int LT_ChangeBitmapSize(const char* source, const char* target, int width, int height, int flags) {
    if (!source || !*source || !target || !*target || !sizeInRange(width, height)) {
        return KX_LT_BAD_ARGUMENT;
    }
    try {
        const auto scaled = kadrix::leadtools::loadScaled(source, width, height);
        if (!scaled)
            return KX_LT_CANNOT_READ;
        return scaled->saveBmp(target) ? KX_LT_OK : KX_LT_CANNOT_WRITE;
    } catch (const std::bad_alloc&) {
        return KX_LT_NO_MEMORY;
    } catch (...) {
        return KX_LT_CANNOT_READ;
    }
}

int LT_ChangeBitmapQuality(KxBitmap* destination, const KxBitmap* source, int brightness,
                           int contrast, int saturation, int hue) {
    if (!destination || !source || source->bitmap.isEmpty())
        return KX_LT_BAD_ARGUMENT;
    const kadrix::leadtools::QualityAdjustment amounts{brightness, contrast, saturation, hue};
    try {
        if (destination == source) {
            kadrix::leadtools::adjustQuality(destination->bitmap, amounts);
            return KX_LT_OK;
        }
        Bitmap adjusted = source->bitmap;
        kadrix::leadtools::adjustQuality(adjusted, amounts);
        destination->bitmap = std::move(adjusted);
        return KX_LT_OK;
    } catch (const std::bad_alloc&) {
        return KX_LT_NO_MEMORY;
    }
}

}  // extern "C"
