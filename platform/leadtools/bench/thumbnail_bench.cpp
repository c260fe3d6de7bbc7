// The thumbnail path (LT_ChangeBitmapSize of a 12 MP JPEG to 150 pixels high, as the thumbnail
// list asks it) against a plain scaled decode in the same run: what the BMP round trip costs.
#include <benchmark/benchmark.h>

#include <QImageReader>
#include <QTemporaryDir>

#include "leadtools/leadtools_api.h"

namespace {

using kadrix::platform::Bgr;
using kadrix::platform::Bitmap;
using kadrix::platform::JpegImage;

constexpr int Width = 4000, Height = 3000, ThumbWidth = 200, ThumbHeight = 150;

struct Photo {
    Photo() {
        Bitmap bitmap = Bitmap::create(Width, Height).value();
        // Texture as well as gradients, so the entropy decoder does real work.
        uint32_t noise = 12345;
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int n = static_cast<int>(noise >> 28);
                bitmap.setPixel(x, y,
                                Bgr{static_cast<uint8_t>((x / 16 + n) & 0xFF),
                                    static_cast<uint8_t>((y / 12 + n) & 0xFF),
                                    static_cast<uint8_t>(((x + y) / 28 + n) & 0xFF)});
            }
        }
        file = dir.path().toStdString() + "/photo.jpg";
        thumbnail = dir.path().toStdString() + "/TempImageList1.bmp";
        ok = bool(JpegImage::compress(bitmap, 90)->save(file));
    }
    QTemporaryDir dir;
    std::string file, thumbnail;
    bool ok = false;
};

const Photo& photo() {
    static const Photo instance;
    return instance;
}

void BM_ChangeBitmapSizeThumbnail(benchmark::State& state) {
    const Photo& p = photo();
    if (!p.ok)
        state.SkipWithError("cannot write the photo");
    for (auto _ : state) {
        const int rc =
            LT_ChangeBitmapSize(p.file.c_str(), p.thumbnail.c_str(), ThumbWidth, ThumbHeight, 1);
        if (rc != KX_LT_OK)
            state.SkipWithError("LT_ChangeBitmapSize failed");
    }
}

void BM_ScaledDecodeBaseline(benchmark::State& state) {
    const Photo& p = photo();
    if (!p.ok)
        state.SkipWithError("cannot write the photo");
    for (auto _ : state) {
        QImageReader reader(QString::fromStdString(p.file));
        reader.setScaledSize(QSize(ThumbWidth, ThumbHeight));
        QImage image = reader.read();
        benchmark::DoNotOptimize(image.constBits());
        if (image.isNull())
            state.SkipWithError("scaled decode failed");
    }
}

BENCHMARK(BM_ScaledDecodeBaseline)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ChangeBitmapSizeThumbnail)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
