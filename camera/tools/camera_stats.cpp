// kadrix-camera-stats FILE [LEFT,TOP,WIDTH,HEIGHT]...
// Publishes this program's module handle (so the codecs are found beside it), decodes a JPEG or
// camera raw file and prints its size and, for a JPEG, the luma/chroma means of each rectangle
// (the whole image when none is given).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "kadrix_camera.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: kadrix-camera-stats FILE [LEFT,TOP,WIDTH,HEIGHT]...\n");
    return 1;
}

bool parseRectangle(const char* text, tagRECTANGLE& rect) {
    char tail = 0;
    return std::sscanf(text, "%d,%d,%d,%d%c", &rect.nLeft, &rect.nTop, &rect.nWidth, &rect.nHeight,
                       &tail) == 4;
}

bool isJpeg(const char* path) {
    unsigned char magic[3] = {};
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    const std::size_t n = std::fread(magic, 1, sizeof magic, file);
    std::fclose(file);
    return n == 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF;
}

int reportFailure(const char* what, ERROR_T code, const char* detail = "") {
    std::fprintf(stderr, "kadrix-camera-stats: %s failed (ERROR_T %d)%s%s\n", what,
                 static_cast<int>(code), detail[0] ? ": " : "", detail);
    return 3;
}

template <typename Manager>
int load(Manager& manager, const char* path) {
    try {
        manager.Initialize();
        std::vector<char> copy(path, path + std::strlen(path) + 1);
        manager.SetFullPath(copy.data());
    } catch (CException* e) {
        const int rc = reportFailure("loading the codec", e->GetErrorCode(), e->GetMessage());
        delete e;
        return rc;
    }
    const ERROR_T decoded = manager.Decode();
    if (IsFailure(decoded))
        return reportFailure("decoding", decoded);
    std::printf("width %u\nheight %u\n", static_cast<unsigned>(manager.GetWidth()),
                static_cast<unsigned>(manager.GetHeight()));
    return 0;
}

int jpegStatistics(const char* path, std::vector<tagRECTANGLE> rectangles) {
    CJpegManager manager;
    if (const int rc = load(manager, path))
        return rc;
    if (rectangles.empty())
        rectangles.push_back({0, 0, manager.GetWidth(), manager.GetHeight()});
    for (const tagRECTANGLE& rect : rectangles) {
        tagYUV_FLOAT_T yuv{};
        tagCHANNEL_AVERAGE_FLOAT_T channels{};
        try {
            manager.GetYUVAverage(rect, &yuv);
            manager.GetEachChannelYAverage(rect, &channels);
        } catch (CException* e) {
            std::fprintf(stderr, "kadrix-camera-stats: rectangle %d,%d,%d,%d refused: %s\n",
                         rect.nLeft, rect.nTop, rect.nWidth, rect.nHeight, e->GetMessage());
            delete e;
            return 2;
        }
        std::printf("rectangle %d,%d,%d,%d Y %g U %g V %g Y0 %g Y1 %g\n", rect.nLeft, rect.nTop,
                    rect.nWidth, rect.nHeight, yuv.Y, yuv.U, yuv.V, channels.Y0, channels.Y1);
    }
    manager.Terminate();
    return 0;
}

int rawSize(const char* path) {
    CVrelManager manager;
    const int rc = load(manager, path);
    manager.Terminate();
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    std::vector<tagRECTANGLE> rectangles;
    for (int i = 2; i < argc; ++i) {
        tagRECTANGLE rect{};
        if (!parseRectangle(argv[i], rect))
            return usage();
        rectangles.push_back(rect);
    }
    CSharedMemory published;
    void* const self = KxModuleHandleOf(reinterpret_cast<const void*>(&usage));
    if (!KxPublishModuleHandle(published, self)) {
        std::fprintf(stderr, "kadrix-camera-stats: cannot publish the module handle\n");
        return 3;
    }
    const char* path = argv[1];
    int rc = 0;
    if (isJpeg(path)) {
        rc = jpegStatistics(path, rectangles);
    } else if (!rectangles.empty()) {
        std::fprintf(stderr, "kadrix-camera-stats: averages are computed for JPEG files only\n");
        rc = 1;
    } else {
        rc = rawSize(path);
    }
    KxUnpublishModuleHandle(published, self);
    published.FreeSharedMemory();
    return rc;
}
