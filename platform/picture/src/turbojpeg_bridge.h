// The picture layer's only door to libjpeg-turbo: compresses and decompresses packed BGR rows
// through the TurboJPEG API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kadrix/platform/picture.h"

namespace kadrix::platform::turbojpeg {

// `quality` must already be 1..100.
Result<std::vector<uint8_t>> compressBgr(const uint8_t* pixels, int width, int height,
                                         size_t stride, int quality);

enum class DecodeOutcome { Decoded, Damaged, FourComponents };
struct Decoded {
    DecodeOutcome outcome = DecodeOutcome::Damaged;
    Bitmap bitmap;
    std::string reason;
};
// Refuses damaged streams, including a premature end that libjpeg only warns about. CMYK and
// YCCK files are left to the caller (FourComponents).
Decoded decompressBgr(const uint8_t* data, size_t size);

}  // namespace kadrix::platform::turbojpeg
