// Bitmaps from picture files and to BMP files; the atomic file write every picture save uses.
#include <string>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>

#include "kadrix/platform/picture.h"
#include "turbojpeg_bridge.h"

namespace kadrix::platform {

namespace {

QString fileName(const fs::path& path) {
    return QFile::decodeName(path.native().c_str());
}

void put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    put16(out, at, value & 0xFFFF);
    put16(out, at + 2, value >> 16);
}

constexpr size_t FileHeaderSize = 14;
constexpr size_t InfoHeaderSize = 40;
constexpr uint32_t PixelsPerMetre = 2835;  // 72 dpi
constexpr qint64 MaxFileSize = qint64{1} << 30;

uint32_t get16(const QByteArray& in, qsizetype at) {
    return static_cast<uint8_t>(in[at]) | static_cast<uint32_t>(static_cast<uint8_t>(in[at + 1]))
                                              << 8;
}

uint32_t get32(const QByteArray& in, qsizetype at) {
    return get16(in, at) | get16(in, at + 2) << 16;
}

// Qt's BMP reader shows a file cut short as a picture with missing rows; an uncompressed BMP
// must hold every row its header announces.
Status checkBmpComplete(const QByteArray& in) {
    if (in.size() < 26)
        return Status::failure("the BMP header is cut short");
    const uint32_t offset = get32(in, 10);
    const uint32_t infoSize = get32(in, 14);
    int64_t width = 0, height = 0;
    uint32_t bits = 0, compression = 0;
    if (infoSize == 12) {
        width = get16(in, 18);
        height = get16(in, 20);
        bits = get16(in, 24);
    } else if (infoSize >= 40 && in.size() >= 34) {
        width = static_cast<int32_t>(get32(in, 18));
        height = static_cast<int32_t>(get32(in, 22));
        bits = get16(in, 28);
        compression = get32(in, 30);
    } else {
        return Status::failure("the BMP header is damaged");
    }
    height = height < 0 ? -height : height;
    if (width < 1 || height < 1 || width > Bitmap::MaxSide || height > Bitmap::MaxSide ||
        width * height > Bitmap::MaxPixels) {
        return Status::failure("the BMP size " + std::to_string(width) + " x " +
                               std::to_string(height) + " is out of range");
    }
    constexpr uint32_t Uncompressed = 0, BitFields = 3, AlphaBitFields = 6;
    if (compression != Uncompressed && compression != BitFields && compression != AlphaBitFields) {
        return {};  // run-length data has no fixed size; Qt checks it
    }
    const int64_t stride = (width * bits + 31) / 32 * 4;
    if (int64_t{offset} + stride * height > in.size()) {
        return Status::failure("the BMP file is cut short");
    }
    return {};
}

Result<Bitmap> decodeWithQt(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        return Status::failure(reader.errorString().toStdString());
    return Bitmap::fromImage(image);
}

Result<Bitmap> decodePicture(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    if (bytes.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        turbojpeg::Decoded decoded =
            turbojpeg::decompressBgr(data, static_cast<size_t>(bytes.size()));
        switch (decoded.outcome) {
            case turbojpeg::DecodeOutcome::Decoded:
                return std::move(decoded.bitmap);
            case turbojpeg::DecodeOutcome::Damaged:
                return Status::failure(decoded.reason);
            case turbojpeg::DecodeOutcome::FourComponents:
                break;  // Qt knows how print files store CMYK
        }
    } else if (bytes.startsWith("BM")) {
        if (Status complete = checkBmpComplete(bytes); !complete)
            return complete;
    }
    return decodeWithQt(bytes);
}

}  // namespace

Result<Bitmap> Bitmap::load(const fs::path& file) {
    QFile in(fileName(file));
    if (!in.open(QIODevice::ReadOnly)) {
        return Status::failure("cannot open the picture " + file.string() + ": " +
                               in.errorString().toStdString());
    }
    if (in.size() > MaxFileSize)
        return Status::failure("the picture " + file.string() + " is too large");
    const QByteArray bytes = in.readAll();
    Result<Bitmap> bitmap = decodePicture(bytes);
    if (!bitmap)
        return Status::failure("cannot read the picture " + file.string() + ": " +
                               bitmap.message());
    return bitmap;
}

std::vector<uint8_t> Bitmap::bmpBytes() const {
    if (isEmpty())
        return {};
    const size_t imageSize = stride_ * static_cast<size_t>(height_);
    const size_t offset = FileHeaderSize + InfoHeaderSize;
    std::vector<uint8_t> out(offset + imageSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<uint32_t>(out.size()));
    put32(out, 10, static_cast<uint32_t>(offset));
    put32(out, 14, InfoHeaderSize);
    put32(out, 18, static_cast<uint32_t>(width_));
    put32(out, 22, static_cast<uint32_t>(height_));  // positive: bottom row first
    put16(out, 26, 1);                               // planes
    put16(out, 28, 24);                              // bits per pixel
    put32(out, 30, 0);                               // no compression
    put32(out, 34, static_cast<uint32_t>(imageSize));
    put32(out, 38, PixelsPerMetre);
    put32(out, 42, PixelsPerMetre);
    uint8_t* pixels = out.data() + offset;
    for (int y = 0; y < height_; ++y) {
        std::copy_n(row(height_ - 1 - y), stride_, pixels + static_cast<size_t>(y) * stride_);
    }
    return out;
}

Status Bitmap::saveBmp(const fs::path& file) const {
    if (isEmpty())
        return Status::failure("an empty picture cannot be saved");
    // A 65535 x 4096 picture already passes the 4 GiB a BMP header can describe.
    if (stride_ * static_cast<size_t>(height_) > 0xFFFFFFFFu - FileHeaderSize - InfoHeaderSize) {
        return Status::failure("the picture is too large for a BMP file");
    }
    std::vector<uint8_t> bytes;
    try {
        bytes = bmpBytes();
    } catch (const std::bad_alloc&) {
        return Status::failure("not enough memory to write " + file.string());
    }
    return writeFileAtomically(file, bytes.data(), bytes.size());
}

Status writeFileAtomically(const fs::path& file, const void* data, size_t size) {
    if (file.empty())
        return Status::failure("no file name");
    QSaveFile out(fileName(file));
    if (!out.open(QIODevice::WriteOnly)) {
        return Status::failure("cannot write " + file.string() + ": " +
                               out.errorString().toStdString());
    }
    if (out.write(static_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size) ||
        !out.commit()) {
        const std::string reason = out.errorString().toStdString();
        out.cancelWriting();
        return Status::failure("cannot write " + file.string() + ": " + reason);
    }
    return {};
}

}  // namespace kadrix::platform
