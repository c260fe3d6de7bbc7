/* The entry of "Rostra.dll", the camera raw decoder the camera library loads at run time. */
#ifndef KADRIX_ROSTRA_VREL_ENTRY_H
#define KADRIX_ROSTRA_VREL_ENTRY_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Statuses other than 0. All are odd, so callers that test bit 0 see a failure. */
enum {
    VREL_ERR_FILE = 1,     /* cannot be opened, or not a raw file the decoder reads */
    VREL_ERR_ARGUMENT = 3, /* a null argument */
    VREL_ERR_MEMORY = 5,
    VREL_ERR_LAYOUT = 7, /* the main image cannot be unpacked into a known layout */
};

/* Decodes the main image of the raw file at `path`: the sensor's visible area, one 16-bit
   value per pixel (Bayer or monochrome sensors) or three or four per pixel (linear files),
   rows top first, native byte order. On 0 every output is set: `*bits` is the bits per pixel,
   `*offset` where the image data starts in the file, and `*data` a buffer of
   bits / 8 x width x height bytes from malloc that the caller releases with free. */
typedef int (*VREL_GET_MAIN_IMAGE_FN)(const char* path, uint32_t* width, uint32_t* height,
                                      int32_t* bits, uint32_t* offset, unsigned char** data);

#ifdef __cplusplus
}
#endif

#endif
