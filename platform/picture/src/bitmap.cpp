// Bitmap storage and its conversion to and from QImage.
#include <cassert>
#include <cstring>
#include <new>
#include <string>

#include "kadrix/platform/picture.h"

namespace kadrix::platform {

Result<Bitmap> Bitmap::create(int width, int height) {
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide ||
        int64_t{width} * height > MaxPixels) {
        return Status::failure("picture size " + std::to_string(width) + " x " +
                               std::to_string(height) + " is out of range");
    }
    Bitmap bitmap;
    bitmap.width_ = width;
    bitmap.height_ = height;
    bitmap.stride_ = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    try {
        bitmap.pixels_.assign(bitmap.stride_ * static_cast<size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return Status::failure("not enough memory for a " + std::to_string(width) + " x " +
                               std::to_string(height) + " picture");
    }
    return bitmap;
}

Result<Bitmap> Bitmap::fromImage(const QImage& image) {
    if (image.isNull())
        return Status::failure("the picture is empty");
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    if (bgr.isNull())
        return Status::failure("not enough memory to convert the picture");
    Result<Bitmap> made = create(bgr.width(), bgr.height());
    if (!made)
        return made;
    Bitmap& bitmap = made.value();
    const size_t rowBytes = static_cast<size_t>(bitmap.width_) * 3;
    for (int y = 0; y < bitmap.height_; ++y)
        std::memcpy(bitmap.row(y), bgr.constScanLine(y), rowBytes);
    return made;
}

uint8_t* Bitmap::row(int y) {
    assert(y >= 0 && y < height_);
    return pixels_.data() + static_cast<size_t>(y) * stride_;
}

const uint8_t* Bitmap::row(int y) const {
    assert(y >= 0 && y < height_);
    return pixels_.data() + static_cast<size_t>(y) * stride_;
}

Bgr Bitmap::pixel(int x, int y) const {
    assert(x >= 0 && x < width_);
    const uint8_t* p = row(y) + static_cast<size_t>(x) * 3;
    return Bgr{p[0], p[1], p[2]};
}

void Bitmap::setPixel(int x, int y, Bgr colour) {
    assert(x >= 0 && x < width_);
    uint8_t* p = row(y) + static_cast<size_t>(x) * 3;
    p[0] = colour.blue;
    p[1] = colour.green;
    p[2] = colour.red;
}

QImage Bitmap::toImage() const {
    if (isEmpty())
        return {};
    QImage image(width_, height_, QImage::Format_BGR888);
    if (image.isNull())
        return {};
    const size_t rowBytes = static_cast<size_t>(width_) * 3;
    for (int y = 0; y < height_; ++y) std::memcpy(image.scanLine(y), row(y), rowBytes);
    return image;
}

}  // namespace kadrix::platform
