// Scaled reading: Qt's JPEG reader scales in the decoder (libjpeg's DCT scaling, then a smooth
// pass to the exact size); other formats go through the strict bitmap loader and one smooth
// scale.
#include "picture_scaling.h"

#include <cstdio>
#include <memory>

#include <QFile>
#include <QImageReader>

namespace kadrix::leadtools {

namespace {

using platform::Bitmap;
using platform::Result;
using platform::Status;

bool startsLikeJpeg(const platform::fs::path& file) {
    std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(file.c_str(), "rb"), &std::fclose);
    unsigned char head[3] = {};
    return in && std::fread(head, 1, 3, in.get()) == 3 && head[0] == 0xFF && head[1] == 0xD8 &&
           head[2] == 0xFF;
}

// A whole JPEG ends with its end-of-image marker (trailing padding aside). Qt fills a file cut
// short with grey rows and calls it a picture; such a file is refused here instead.
bool endsLikeJpeg(const platform::fs::path& file) {
    std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(file.c_str(), "rb"), &std::fclose);
    if (!in || std::fseek(in.get(), 0, SEEK_END) != 0) return false;
    const long size = std::ftell(in.get());
    const long tail = size < 256 ? size : 256;
    if (tail < 2 || std::fseek(in.get(), size - tail, SEEK_SET) != 0) return false;
    unsigned char bytes[256];
    if (std::fread(bytes, 1, static_cast<size_t>(tail), in.get()) != static_cast<size_t>(tail)) return false;
    for (long i = tail - 2; i >= 0; --i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xD9) return true;
    return false;
}

}  // namespace

Result<Bitmap> loadScaled(const platform::fs::path& source, int width, int height) {
    const QSize size(width, height);
    QImage image;
    if (startsLikeJpeg(source)) {
        if (!endsLikeJpeg(source)) return Status::failure("the JPEG file " + source.string() + " is cut short");
        QImageReader reader(QFile::decodeName(source.c_str()), "jpeg");
        reader.setScaledSize(size);
        image = reader.read();
        if (image.isNull()) {
            return Status::failure("cannot read the picture " + source.string() + ": " +
                                   reader.errorString().toStdString());
        }
    } else {
        Result<Bitmap> full = Bitmap::load(source);
        if (!full)
            return full;
        image = full->toImage();
    }
    if (image.size() != size) {
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (image.isNull())
        return Status::failure("not enough memory to scale the picture");
    return Bitmap::fromImage(image);
}

}  // namespace kadrix::leadtools
