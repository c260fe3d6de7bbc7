// The C interface over bitmaps and JPEG images. Nothing thrown may cross it: each entry is a
// firewall that turns a failure into null or 0 and the thread's error text.
#include "kadrix/platform/picture_api.h"

#include <exception>
#include <new>
#include <string>
#include <utility>

namespace {

using kadrix::platform::Bitmap;
using kadrix::platform::JpegImage;
using kadrix::platform::Result;
using kadrix::platform::Status;

thread_local std::string lastError;

void succeeded() {
    lastError.clear();
}

void failed(std::string message) {
    lastError = std::move(message);
}

template <typename Value, typename Entry>
Value guarded(Value onFailure, Entry&& entry) {
    try {
        return entry();
    } catch (const std::bad_alloc&) {
        failed("not enough memory");
    } catch (const std::exception& e) {
        failed(e.what());
    } catch (...) {
        failed("unexpected failure");
    }
    return onFailure;
}

KxBitmap* bitmapHandle(Result<Bitmap> result) {
    if (!result) {
        failed(result.message());
        return nullptr;
    }
    succeeded();
    return kadrix::platform::releaseToHandle(std::move(result).value());
}

int statusValue(const Status& status) {
    if (!status) {
        failed(status.message());
        return 0;
    }
    succeeded();
    return 1;
}

}  // namespace

namespace kadrix::platform {

KxBitmap* releaseToHandle(Bitmap bitmap) {
    return new KxBitmap{std::move(bitmap)};
}
KxJpegImage* releaseToHandle(JpegImage jpeg) {
    return new KxJpegImage{std::move(jpeg)};
}

}  // namespace kadrix::platform

extern "C" {

KxBitmap* kx_bitmap_create(int width, int height) {
    return guarded(static_cast<KxBitmap*>(nullptr),
                   [&] { return bitmapHandle(Bitmap::create(width, height)); });
}

KxBitmap* kx_bitmap_load(const char* path) {
    return guarded(static_cast<KxBitmap*>(nullptr), [&]() -> KxBitmap* {
        if (!path || !*path) {
            failed("no file name");
            return nullptr;
        }
        return bitmapHandle(Bitmap::load(path));
    });
}

KxBitmap* kx_bitmap_copy(const KxBitmap* bitmap) {
    return guarded(static_cast<KxBitmap*>(nullptr), [&]() -> KxBitmap* {
        if (!bitmap) {
            failed("no bitmap");
            return nullptr;
        }
        succeeded();
        return kadrix::platform::releaseToHandle(bitmap->bitmap);
    });
}

int kx_bitmap_width(const KxBitmap* bitmap) {
    return bitmap ? bitmap->bitmap.width() : 0;
}

int kx_bitmap_height(const KxBitmap* bitmap) {
    return bitmap ? bitmap->bitmap.height() : 0;
}

size_t kx_bitmap_stride(const KxBitmap* bitmap) {
    return bitmap ? bitmap->bitmap.stride() : 0;
}

unsigned char* kx_bitmap_row(KxBitmap* bitmap, int y) {
    if (!bitmap || y < 0 || y >= bitmap->bitmap.height())
        return nullptr;
    return bitmap->bitmap.row(y);
}

int kx_bitmap_save_bmp(const KxBitmap* bitmap, const char* path) {
    return guarded(0, [&] {
        if (!bitmap)
            return statusValue(Status::failure("no bitmap"));
        if (!path || !*path)
            return statusValue(Status::failure("no file name"));
        return statusValue(bitmap->bitmap.saveBmp(path));
    });
}

void kx_bitmap_free(KxBitmap* bitmap) {
    delete bitmap;
}

KxJpegImage* kx_jpeg_from_bitmap(const KxBitmap* bitmap, int quality) {
    return guarded(static_cast<KxJpegImage*>(nullptr), [&]() -> KxJpegImage* {
        if (!bitmap) {
            failed("no bitmap");
            return nullptr;
        }
        Result<JpegImage> jpeg = JpegImage::compress(bitmap->bitmap, quality);
        if (!jpeg) {
            failed(jpeg.message());
            return nullptr;
        }
        succeeded();
        return kadrix::platform::releaseToHandle(std::move(jpeg).value());
    });
}

size_t kx_jpeg_size(const KxJpegImage* jpeg) {
    return jpeg ? jpeg->jpeg.bytes().size() : 0;
}

const unsigned char* kx_jpeg_bytes(const KxJpegImage* jpeg) {
    return jpeg ? jpeg->jpeg.bytes().data() : nullptr;
}

int kx_jpeg_quality(const KxJpegImage* jpeg) {
    return jpeg ? jpeg->jpeg.quality() : 0;
}

int kx_jpeg_save(const KxJpegImage* jpeg, const char* path) {
    return guarded(0, [&] {
        if (!jpeg)
            return statusValue(Status::failure("no JPEG image"));
        if (!path || !*path)
            return statusValue(Status::failure("no file name"));
        return statusValue(jpeg->jpeg.save(path));
    });
}

void kx_jpeg_free(KxJpegImage* jpeg) {
    delete jpeg;
}

int kx_picture_file_to_jpeg(const char* picture, const char* jpeg, int quality) {
    return guarded(0, [&] {
        if (!picture || !*picture || !jpeg || !*jpeg) {
            return statusValue(Status::failure("no file name"));
        }
        return statusValue(kadrix::platform::convertPictureToJpeg(picture, jpeg, quality));
    });
}

const char* kx_picture_error(void) {
    return lastError.c_str();
}

}  // extern "C"
