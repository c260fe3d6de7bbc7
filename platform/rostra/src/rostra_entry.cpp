// The entry of "Rostra.dll".
#include "libraw_bridge.h"
#include "rostra/vrel_entry.h"

extern "C" __attribute__((visibility("default"))) int GetVrel2MainImage(
    const char* path, uint32_t* width, uint32_t* height, int32_t* bits, uint32_t* offset,
    unsigned char** data) {
    if (!path || !width || !height || !bits || !offset || !data)
        return VREL_ERR_ARGUMENT;
    kadrix::rostra::MainImage image;
    const int status = kadrix::rostra::readMainImage(path, image);
    if (status != 0)
        return status;
    *width = image.width;
    *height = image.height;
    *bits = image.bits;
    *offset = image.offset;
    *data = image.pixels;
    return 0;
}
