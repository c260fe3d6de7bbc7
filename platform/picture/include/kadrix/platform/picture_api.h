/* The picture layer for C callers and across module exports: bitmaps and JPEG images as opaque
   handles. Every function accepts null handles and paths. A failure returns null or 0 and leaves
   its reason in kx_picture_error() (per thread, until the next call of this interface). Paths
   are file names as bytes (UTF-8). Rows are top row first, 24-bit BGR, kx_bitmap_stride() bytes
   apart. */
#pragma once

#include <stddef.h>

#include "kadrix/platform/picture_export.h"

#ifdef __cplusplus
#include "kadrix/platform/picture.h"
extern "C" {
#endif

typedef struct KxBitmap KxBitmap;
typedef struct KxJpegImage KxJpegImage;

/* Bitmaps. */
KX_PICTURE_API KxBitmap* kx_bitmap_create(int width, int height); /* black */
KX_PICTURE_API KxBitmap* kx_bitmap_load(const char* path);
KX_PICTURE_API KxBitmap* kx_bitmap_copy(const KxBitmap* bitmap);
KX_PICTURE_API int kx_bitmap_width(const KxBitmap* bitmap);  /* 0 for null */
KX_PICTURE_API int kx_bitmap_height(const KxBitmap* bitmap); /* 0 for null */
KX_PICTURE_API size_t kx_bitmap_stride(const KxBitmap* bitmap);
KX_PICTURE_API unsigned char* kx_bitmap_row(KxBitmap* bitmap, int y);            /* null outside */
KX_PICTURE_API int kx_bitmap_save_bmp(const KxBitmap* bitmap, const char* path); /* 1 or 0 */
KX_PICTURE_API void kx_bitmap_free(KxBitmap* bitmap);

/* JPEG images. Quality outside 1..100 is clamped. */
KX_PICTURE_API KxJpegImage* kx_jpeg_from_bitmap(const KxBitmap* bitmap, int quality);
KX_PICTURE_API size_t kx_jpeg_size(const KxJpegImage* jpeg);
KX_PICTURE_API const unsigned char* kx_jpeg_bytes(const KxJpegImage* jpeg);
KX_PICTURE_API int kx_jpeg_quality(const KxJpegImage* jpeg);
KX_PICTURE_API int kx_jpeg_save(const KxJpegImage* jpeg, const char* path); /* 1 or 0 */
KX_PICTURE_API void kx_jpeg_free(KxJpegImage* jpeg);

/* Any picture file to a JPEG file at the quality; 1 or 0, the target whole or untouched. */
KX_PICTURE_API int kx_picture_file_to_jpeg(const char* picture, const char* jpeg, int quality);

/* The reason of the calling thread's last failure; "" after a success. */
KX_PICTURE_API const char* kx_picture_error(void);

#ifdef __cplusplus
}

/* C++ modules reach the objects behind the handles directly. */
struct KxBitmap {
    kadrix::platform::Bitmap bitmap;
};
struct KxJpegImage {
    kadrix::platform::JpegImage jpeg;
};

namespace kadrix::platform {
/* Hands an object to a C caller, who frees it with kx_bitmap_free / kx_jpeg_free. */
KX_PICTURE_API KxBitmap* releaseToHandle(Bitmap bitmap);
KX_PICTURE_API KxJpegImage* releaseToHandle(JpegImage jpeg);
}  // namespace kadrix::platform
#endif
