// Pictures the camera tests and benchmarks make themselves: JPEG files through libjpeg-turbo
// and a tiny DNG written by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kadrix::camera::test {

enum class Sampling { S444, S422, S420, Grey };

struct Ycc {
    unsigned char y, cb, cr;
};

// A JPEG from YCbCr planes. `colour(x, y)` is sampled at every luma pixel and, for the chroma
// planes, at the first luma pixel each chroma sample covers.
std::vector<unsigned char> jpegFromYcc(int width, int height, Sampling sampling, int quality,
                                       const std::function<Ycc(int x, int y)>& colour);

// A JPEG whose three components are stored as red, green and blue, of one colour.
std::vector<unsigned char> rgbStoredJpeg(int width, int height, unsigned char r, unsigned char g,
                                         unsigned char b);
// A four-component (CMYK) JPEG.
std::vector<unsigned char> cmykJpeg(int width, int height);

// libjpeg-turbo's own decode of a file to YCbCr, 3 bytes per pixel, into a buffer it allocates
// (left uninitialised, as a decoder's output buffer would be); null on failure. For comparing
// speed.
std::unique_ptr<unsigned char[]> libjpegDecodeToYcc(const std::string& path, int& width,
                                                    int& height);

// A little-endian DNG of one 16-bit CFA sample per pixel; returns where the pixels start.
std::uint32_t writeTinyDng(const std::string& path, int width, int height,
                           const std::function<std::uint16_t(int x, int y)>& value);

}  // namespace kadrix::camera::test
