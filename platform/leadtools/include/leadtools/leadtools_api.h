/* The interface of "LeadToolsAPI.dll", the picture library the clinical module binds at load by
   name: resizing a picture file into a BMP file, and brightness, contrast, saturation and hue of
   a bitmap. Both entries return 0 on success and one of the KX_LT_ codes otherwise. */
#ifndef KADRIX_LEADTOOLS_LEADTOOLS_API_H
#define KADRIX_LEADTOOLS_LEADTOOLS_API_H

#include "kadrix/platform/picture_api.h"

#if defined(KADRIX_LEADTOOLS_BUILD)
#define KX_LEADTOOLS_API __attribute__((visibility("default")))
#else
#define KX_LEADTOOLS_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    KX_LT_OK = 0,
    KX_LT_BAD_ARGUMENT = 1, /* a null bitmap or path, an empty source, a size out of range */
    KX_LT_CANNOT_READ = 2,  /* the source file is missing, damaged or not a picture */
    KX_LT_CANNOT_WRITE = 3, /* the target cannot be written; it is left as it was */
    KX_LT_NO_MEMORY = 4,
};

/* Writes the picture file `source` (BMP, JPEG, PNG, TIFF, ...) scaled smoothly to exactly
   width x height as a 24-bit BMP `target`, replacing it whole. Callers keep the proportion by
   the sizes they ask for. `flags` is 1 by custom; every value scales the same way. */
KX_LEADTOOLS_API int LT_ChangeBitmapSize(const char* source, const char* target, int width,
                                         int height, int flags);

/* destination := source adjusted, the size of the source; destination may be source. All four
   amounts 0 give an unchanged copy; values beyond the ranges are taken as their ends.
   - brightness -1000..1000 adds brightness * 255 / 1000 to every channel (-1000 black,
     1000 white);
   - contrast -1000..1000 scales each channel's distance from mid-grey 127.5 by
     1 + contrast / 1000 below 0 (-1000: flat grey) and 1000 / (1000 - contrast) above (1000: a
     threshold at mid-grey);
   - saturation -1000..1000 scales the chroma (Cb, Cr of full-range BT.601 YCbCr, luma kept) by
     1 + saturation / 1000 (-1000: grey, 1000: doubled);
   - hue -100..100 turns the chroma by hue * 1.8 degrees, positive from red towards yellow and
     green.
   Saturation and hue apply first, then contrast, then brightness. */
KX_LEADTOOLS_API int LT_ChangeBitmapQuality(KxBitmap* destination, const KxBitmap* source,
                                            int brightness, int contrast, int saturation, int hue);

typedef int (*LT_ChangeBitmapSizeFunction)(const char*, const char*, int, int, int);
typedef int (*LT_ChangeBitmapQualityFunction)(KxBitmap*, const KxBitmap*, int, int, int, int);

#ifdef __cplusplus
}
#endif

#endif
