// JPEG images compressed from bitmaps, and the picture-file-to-JPEG conversion.
#include <algorithm>
#include <new>

#include "kadrix/platform/picture.h"
#include "turbojpeg_bridge.h"

namespace kadrix::platform {

int JpegImage::clampQuality(int quality) {
    return std::clamp(quality, MinQuality, MaxQuality);
}

Result<JpegImage> JpegImage::compress(const Bitmap& bitmap, int quality) {
    if (bitmap.isEmpty())
        return Status::failure("an empty picture cannot be compressed");
    const int q = clampQuality(quality);
    try {
        Result<std::vector<uint8_t>> bytes = turbojpeg::compressBgr(
            bitmap.row(0), bitmap.width(), bitmap.height(), bitmap.stride(), q);
        if (!bytes)
            return bytes.status();
        return JpegImage(std::move(bytes).value(), bitmap.width(), bitmap.height(), q);
    } catch (const std::bad_alloc&) {
        return Status::failure("not enough memory to compress the picture");
    }
}

Status JpegImage::save(const fs::path& file) const {
    return writeFileAtomically(file, bytes_.data(), bytes_.size());
}

Status convertPictureToJpeg(const fs::path& picture, const fs::path& jpeg, int quality) {
    Result<Bitmap> bitmap = Bitmap::load(picture);
    if (!bitmap)
        return bitmap.status();
    Result<JpegImage> compressed = JpegImage::compress(*bitmap, quality);
    if (!compressed)
        return compressed.status();
    return compressed->save(jpeg);
}

}  // namespace kadrix::platform
