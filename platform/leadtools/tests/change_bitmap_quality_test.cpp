#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "leadtools/leadtools_api.h"

namespace kadrix::platform {
namespace {

struct Handle {
    explicit Handle(Bitmap bitmap) : handle(releaseToHandle(std::move(bitmap))) {}
    ~Handle() { kx_bitmap_free(handle); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    const Bitmap& bitmap() const { return handle->bitmap; }
    KxBitmap* handle;
};

Bitmap filled(int width, int height, Bgr colour) {
    Bitmap bitmap = Bitmap::create(width, height).value();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) bitmap.setPixel(x, y, colour);
    }
    return bitmap;
}

// Every channel value at some pixel, so that a table error anywhere shows.
Bitmap allValues() {
    Bitmap bitmap = Bitmap::create(37, 7).value();
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 37; ++x) {
            const int v = (y * 37 + x) % 256;
            bitmap.setPixel(x, y,
                            Bgr{static_cast<uint8_t>(v), static_cast<uint8_t>(255 - v),
                                static_cast<uint8_t>(v * 7 % 256)});
        }
    }
    return bitmap;
}

bool sameBitmap(const Bitmap& a, const Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!(a.pixel(x, y) == b.pixel(x, y)))
                return false;
        }
    }
    return true;
}

double luma(Bgr p) {
    return 0.299 * p.red + 0.587 * p.green + 0.114 * p.blue;
}
int spread(Bgr p) {
    return std::max({p.red, p.green, p.blue}) - std::min({p.red, p.green, p.blue});
}

Bgr adjusted(Bgr colour, int brightness, int contrast, int saturation, int hue) {
    Handle h(filled(3, 2, colour));
    EXPECT_EQ(LT_ChangeBitmapQuality(h.handle, h.handle, brightness, contrast, saturation, hue),
              KX_LT_OK);
    return h.bitmap().pixel(2, 1);
}

TEST(ChangeBitmapQuality, AllZeroGivesAnUnchangedCopyOfTheSourceSize) {
    Handle source(allValues());
    Handle destination(filled(5, 5, Bgr{1, 2, 3}));
    ASSERT_EQ(LT_ChangeBitmapQuality(destination.handle, source.handle, 0, 0, 0, 0), KX_LT_OK);
    EXPECT_TRUE(sameBitmap(destination.bitmap(), allValues()));
    ASSERT_EQ(LT_ChangeBitmapQuality(source.handle, source.handle, 0, 0, 0, 0), KX_LT_OK);
    EXPECT_TRUE(sameBitmap(source.bitmap(), allValues()));
}

TEST(ChangeBitmapQuality, EachControlMovesPixelsItsWay) {
    const Bgr mid{140, 120, 100}, dark{60, 60, 60}, light{200, 200, 200}, red{40, 40, 200};
    struct Case {
        const char* what;
        Bgr input;
        int brightness, contrast, saturation, hue;
        std::function<bool(Bgr in, Bgr out)> holds;
    };
    const Case cases[] = {
        {"brighter adds", mid, 500, 0, 0, 0,
         [](Bgr i, Bgr o) {
             return o.red == i.red + 128 && o.green == i.green + 128 && o.blue == 255;
         }},
        {"darker subtracts", mid, -200, 0, 0, 0,
         [](Bgr i, Bgr o) { return o.red == i.red - 51 && o.blue == i.blue - 51; }},
        {"full brightness is white", dark, 1000, 0, 0, 0,
         [](Bgr, Bgr o) {
             return o == Bgr{255, 255, 255};
         }},
        {"no brightness is black", light, -1000, 0, 0, 0, [](Bgr, Bgr o) { return o == Bgr{}; }},
        {"contrast darkens the dark", dark, 0, 500, 0, 0,
         [](Bgr i, Bgr o) { return o.red < i.red - 30; }},
        {"contrast lightens the light", light, 0, 500, 0, 0,
         [](Bgr i, Bgr o) { return o.red > i.red + 30; }},
        {"less contrast nears mid-grey", dark, 0, -500, 0, 0,
         [](Bgr, Bgr o) { return o.red == 94; }},
        {"no contrast is flat grey", light, 0, -1000, 0, 0,
         [](Bgr, Bgr o) {
             return o == Bgr{128, 128, 128};
         }},
        {"full contrast thresholds", mid, 0, 1000, 0, 0,
         [](Bgr, Bgr o) {
             return o == Bgr{255, 0, 0};
         }},
        {"no saturation is grey", red, 0, 0, -1000, 0,
         [](Bgr i, Bgr o) {
             return o.red == o.green && o.green == o.blue && std::abs(luma(o) - luma(i)) < 1;
         }},
        {"saturation spreads the channels", mid, 0, 0, 800, 0,
         [](Bgr i, Bgr o) {
             return spread(o) > spread(i) + 30 && std::abs(luma(o) - luma(i)) < 1.5;
         }},
        {"positive hue turns red to yellow", red, 0, 0, 0, 33,
         [](Bgr i, Bgr o) { return o.green > i.green + 40 && o.blue <= i.blue + 5; }},
        {"negative hue turns red to magenta", red, 0, 0, 0, -33,
         [](Bgr i, Bgr o) { return o.blue > i.blue + 40 && o.green <= i.green + 5; }},
        {"half a turn gives the opposite", red, 0, 0, 0, 100,
         [](Bgr, Bgr o) { return o.green > o.red && o.blue > o.red; }},
        {"hue keeps a grey grey", light, 0, 0, 0, 70, [](Bgr i, Bgr o) { return o == i; }},
    };
    for (const Case& c : cases) {
        const Bgr out = adjusted(c.input, c.brightness, c.contrast, c.saturation, c.hue);
        EXPECT_TRUE(c.holds(c.input, out))
            << c.what << ": " << int(out.red) << "," << int(out.green) << "," << int(out.blue);
    }
}

TEST(ChangeBitmapQuality, ValuesBeyondTheRangesAreTheirEnds) {
    const Bgr mid{140, 120, 100};
    EXPECT_EQ(adjusted(mid, 5000, 0, 0, 0), adjusted(mid, 1000, 0, 0, 0));
    EXPECT_EQ(adjusted(mid, 0, -9999, 0, 0), adjusted(mid, 0, -1000, 0, 0));
    EXPECT_EQ(adjusted(mid, 0, 0, 1500, 0), adjusted(mid, 0, 0, 1000, 0));
    EXPECT_EQ(adjusted(mid, 0, 0, 0, 300), adjusted(mid, 0, 0, 0, 100));
}

TEST(ChangeBitmapQuality, RefusesMissingOrEmptyBitmaps) {
    Handle some(filled(2, 2, Bgr{}));
    Handle empty{Bitmap()};
    EXPECT_EQ(LT_ChangeBitmapQuality(nullptr, some.handle, 0, 0, 0, 0), KX_LT_BAD_ARGUMENT);
    EXPECT_EQ(LT_ChangeBitmapQuality(some.handle, nullptr, 0, 0, 0, 0), KX_LT_BAD_ARGUMENT);
    EXPECT_EQ(LT_ChangeBitmapQuality(some.handle, empty.handle, 0, 0, 0, 0), KX_LT_BAD_ARGUMENT);
    EXPECT_EQ(some.bitmap().width(), 2);
}

}  // namespace
}  // namespace kadrix::platform
