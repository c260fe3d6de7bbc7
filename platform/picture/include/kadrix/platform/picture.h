// The picture layer: device-independent bitmaps (24-bit BGR), JPEG images compressed from them,
// and BMP files. It stands in for the picture library and the JPEG image class of the original
// platform. One shared library per process, so that an object made in one module can be freed
// in another; picture_api.h gives the same objects to C callers as opaque handles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include <QImage>

#include "kadrix/platform/picture_export.h"
#include "kadrix/platform/status.h"

namespace kadrix::platform {

namespace fs = std::filesystem;

// One pixel in the byte order of a DIB row.
struct Bgr {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    friend bool operator==(const Bgr&, const Bgr&) = default;
};

// A device-independent bitmap: rows of 24-bit BGR pixels, top row first, each row padded to a
// multiple of 4 bytes as in a DIB. A default-made bitmap is empty (0 × 0).
class KX_PICTURE_API Bitmap {
  public:
    // Larger pictures are refused as values instead of exhausting memory on a damaged header.
    static constexpr int MaxSide = 65535;
    static constexpr int64_t MaxPixels = int64_t{1} << 28;

    Bitmap() = default;
    // Black pixels; fails for a side below 1 or a picture beyond the limits.
    static Result<Bitmap> create(int width, int height);
    // Any QImage format; alpha is dropped.
    static Result<Bitmap> fromImage(const QImage& image);
    // A picture file of any format Qt reads (BMP 1/4/8/16/24/32-bit and RLE, JPEG, PNG, TIFF,
    // ...), recognised by its content, not its name.
    static Result<Bitmap> load(const fs::path& file);

    bool isEmpty() const { return width_ == 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    size_t stride() const { return stride_; }
    uint8_t* row(int y);
    const uint8_t* row(int y) const;
    Bgr pixel(int x, int y) const;
    void setPixel(int x, int y, Bgr colour);

    QImage toImage() const;  // Format_BGR888
    // A 24-bit bottom-up BMP, written under a temporary name and renamed over `file`.
    Status saveBmp(const fs::path& file) const;
    std::vector<uint8_t> bmpBytes() const;

  private:
    int width_ = 0;
    int height_ = 0;
    size_t stride_ = 0;
    std::vector<uint8_t> pixels_;
};

// A JPEG stream compressed from a bitmap (libjpeg-turbo).
class KX_PICTURE_API JpegImage {
  public:
    static constexpr int MinQuality = 1;
    static constexpr int MaxQuality = 100;
    static int clampQuality(int quality);

    // Quality outside 1..100 is clamped. Fails only for an empty bitmap or the codec's refusal.
    static Result<JpegImage> compress(const Bitmap& bitmap, int quality);

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int quality() const { return quality_; }
    // Written under a temporary name and renamed over `file`.
    Status save(const fs::path& file) const;

  private:
    JpegImage(std::vector<uint8_t> bytes, int width, int height, int quality)
        : bytes_(std::move(bytes)), width_(width), height_(height), quality_(quality) {}
    std::vector<uint8_t> bytes_;
    int width_ = 0;
    int height_ = 0;
    int quality_ = 0;
};

// Loads any picture file and writes it as a JPEG at the quality; the target is replaced whole or
// left as it was.
KX_PICTURE_API Status convertPictureToJpeg(const fs::path& picture, const fs::path& jpeg,
                                           int quality);

// Writes the bytes under a temporary name in the target's folder and renames it into place.
KX_PICTURE_API Status writeFileAtomically(const fs::path& file, const void* data, size_t size);

}  // namespace kadrix::platform
