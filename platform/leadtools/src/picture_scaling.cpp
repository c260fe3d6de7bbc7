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

}  // namespace

Result<Bitmap> loadScaled(const platform::fs::path& source, int width, int height) {
    const QSize size(width, height);
    QImage image;
    if (startsLikeJpeg(source)) {
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
