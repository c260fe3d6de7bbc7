// TurboJPEG compression of BGR rows.
#include "turbojpeg_bridge.h"

#include <cassert>
#include <memory>
#include <string>

#include <turbojpeg.h>

namespace kadrix::platform::turbojpeg {

namespace {

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
struct BufferFree {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

}  // namespace

Result<std::vector<uint8_t>> compressBgr(const uint8_t* pixels, int width, int height,
                                         size_t stride, int quality) {
    assert(quality >= 1 && quality <= 100);
    std::unique_ptr<void, HandleCloser> handle(tjInitCompress());
    if (!handle)
        return Status::failure(std::string("JPEG codec: ") + tjGetErrorStr2(nullptr));
    // Full chroma at the top qualities: whoever asks for them wants fine colour edges kept.
    const int subsampling = quality >= 90 ? TJSAMP_444 : TJSAMP_420;
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(handle.get(), pixels, width, static_cast<int>(stride), height,
                               TJPF_BGR, &out, &size, subsampling, quality, TJFLAG_ACCURATEDCT);
    std::unique_ptr<unsigned char, BufferFree> owned(out);
    if (rc != 0) {
        return Status::failure(std::string("JPEG compression failed: ") +
                               tjGetErrorStr2(handle.get()));
    }
    return std::vector<uint8_t>(out, out + size);
}

Decoded decompressBgr(const uint8_t* data, size_t size) {
    Decoded result;
    std::unique_ptr<void, HandleCloser> handle(tjInitDecompress());
    if (!handle) {
        result.outcome = DecodeOutcome::Damaged;
        result.reason = std::string("JPEG codec: ") + tjGetErrorStr2(nullptr);
        return result;
    }
    if (size > 0xFFFFFFFFu) {
        result.outcome = DecodeOutcome::Damaged;
        result.reason = "the JPEG stream is too long";
        return result;
    }
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), data, static_cast<unsigned long>(size), &width, &height,
                            &subsampling, &colourspace) != 0) {
        result.outcome = DecodeOutcome::Damaged;
        result.reason = std::string("not a readable JPEG: ") + tjGetErrorStr2(handle.get());
        return result;
    }
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) {
        result.outcome = DecodeOutcome::FourComponents;
        return result;
    }
    Result<Bitmap> bitmap = Bitmap::create(width, height);
    if (!bitmap) {
        result.outcome = DecodeOutcome::Damaged;
        result.reason = bitmap.message();
        return result;
    }
    if (tjDecompress2(handle.get(), data, static_cast<unsigned long>(size), bitmap.value().row(0),
                      width, static_cast<int>(bitmap->stride()), height, TJPF_BGR,
                      TJFLAG_ACCURATEDCT | TJFLAG_STOPONWARNING) != 0) {
        result.outcome = DecodeOutcome::Damaged;
        result.reason = std::string("damaged JPEG: ") + tjGetErrorStr2(handle.get());
        return result;
    }
    result.outcome = DecodeOutcome::Decoded;
    result.bitmap = std::move(bitmap).value();
    return result;
}

}  // namespace kadrix::platform::turbojpeg
