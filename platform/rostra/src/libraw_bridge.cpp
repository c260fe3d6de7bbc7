#include "libraw_bridge.h"

#include <libraw/libraw.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "rostra/vrel_entry.h"

namespace kadrix::rostra {

int readMainImage(const char* path, MainImage& image) {
    // LibRaw's state is large: it lives on the heap.
    std::unique_ptr<LibRaw> raw(new (std::nothrow) LibRaw(LIBRAW_OPTIONS_NONE));
    if (!raw)
        return VREL_ERR_MEMORY;
    const int opened = raw->open_file(path);
    if (opened == LIBRAW_UNSUFFICIENT_MEMORY)
        return VREL_ERR_MEMORY;
    if (opened != LIBRAW_SUCCESS)
        return VREL_ERR_FILE;
    const int unpacked = raw->unpack();
    if (unpacked == LIBRAW_UNSUFFICIENT_MEMORY)
        return VREL_ERR_MEMORY;
    if (unpacked != LIBRAW_SUCCESS)
        return VREL_ERR_FILE;

    const libraw_rawdata_t& data = raw->imgdata.rawdata;
    const libraw_image_sizes_t& sizes = raw->imgdata.sizes;
    const unsigned short* first = nullptr;
    unsigned samples = 0;
    if (data.raw_image) {
        first = data.raw_image;
        samples = 1;
    } else if (data.color3_image) {
        first = &data.color3_image[0][0];
        samples = 3;
    } else if (data.color4_image) {
        first = &data.color4_image[0][0];
        samples = 4;
    }
    if (!first || sizes.width == 0 || sizes.height == 0 || sizes.raw_pitch == 0 ||
        sizes.left_margin + sizes.width > sizes.raw_width ||
        sizes.top_margin + sizes.height > sizes.raw_height)
        return VREL_ERR_LAYOUT;

    // The visible area, without the sensor's masked margins.
    const std::size_t rowBytes = std::size_t{sizes.width} * samples * sizeof(unsigned short);
    auto* pixels = static_cast<unsigned char*>(std::malloc(rowBytes * sizes.height));
    if (!pixels)
        return VREL_ERR_MEMORY;
    const auto* base = reinterpret_cast<const unsigned char*>(first);
    for (unsigned y = 0; y < sizes.height; ++y) {
        const unsigned char* row =
            base + std::size_t{sizes.top_margin + y} * sizes.raw_pitch +
            std::size_t{sizes.left_margin} * samples * sizeof(unsigned short);
        std::memcpy(pixels + y * rowBytes, row, rowBytes);
    }
    image.width = sizes.width;
    image.height = sizes.height;
    image.bits = static_cast<std::int32_t>(16 * samples);
    image.offset =
        static_cast<std::uint32_t>(raw->get_internal_data_pointer()->unpacker_data.data_offset);
    image.pixels = pixels;
    return 0;
}

}  // namespace kadrix::rostra
