// Small pictures and files the picture tests make themselves.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "kadrix/platform/picture.h"

namespace kadrix::platform::test {

// A fresh folder per test, removed with it.
class TempFolder {
  public:
    fs::path path() const { return fs::path(dir_.path().toStdString()); }
    fs::path file(const std::string& name) const { return path() / name; }
    // Names in the folder, to show nothing half-written was left behind.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(path())) {
            out.push_back(entry.path().filename().string());
        }
        return out;
    }

  private:
    QTemporaryDir dir_;
};

inline void writeBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A colour per pixel that differs in every channel across x and y.
inline Bgr patternColour(int x, int y) {
    return Bgr{static_cast<uint8_t>(10 + 40 * x), static_cast<uint8_t>(20 + 60 * y),
               static_cast<uint8_t>(200 - 17 * x - 5 * y)};
}

inline Bitmap patternBitmap(int width, int height) {
    Bitmap bitmap = Bitmap::create(width, height).value();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) bitmap.setPixel(x, y, patternColour(x, y));
    }
    return bitmap;
}

// A smooth picture that JPEG keeps well at high quality.
inline Bitmap gradientBitmap(int width, int height) {
    Bitmap bitmap = Bitmap::create(width, height).value();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.setPixel(
                x, y,
                Bgr{static_cast<uint8_t>(255 * x / width), static_cast<uint8_t>(255 * y / height),
                    static_cast<uint8_t>(128 + 100 * (x - y) / (width + height))});
        }
    }
    return bitmap;
}

// Mean absolute difference per channel of two bitmaps of one size.
inline double meanDifference(const Bitmap& a, const Bitmap& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const Bgr p = a.pixel(x, y), q = b.pixel(x, y);
            sum +=
                std::abs(p.blue - q.blue) + std::abs(p.green - q.green) + std::abs(p.red - q.red);
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

}  // namespace kadrix::platform::test
