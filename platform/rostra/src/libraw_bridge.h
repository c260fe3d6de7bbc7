// The only door to LibRaw: the main image of a camera raw file.
#pragma once

#include <cstdint>

namespace kadrix::rostra {

struct MainImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t bits = 0;
    std::uint32_t offset = 0;
    unsigned char* pixels = nullptr;  // malloc'ed, bits / 8 x width x height bytes
};

// 0 or one of the VREL_ERR_ statuses.
int readMainImage(const char* path, MainImage& image);

}  // namespace kadrix::rostra
