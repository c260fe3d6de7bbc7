// The tests' only door to libjpeg-turbo.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>
#include <turbojpeg.h>

#include "image_fixtures.h"

namespace kadrix::camera::test {

std::vector<unsigned char> jpegFromYcc(int width, int height, Sampling sampling, int quality,
                                       const std::function<Ycc(int x, int y)>& colour) {
    int subsamp = TJSAMP_444;
    int hs = 1, vs = 1;
    switch (sampling) {
        case Sampling::S444:
            break;
        case Sampling::S422:
            subsamp = TJSAMP_422;
            hs = 2;
            break;
        case Sampling::S420:
            subsamp = TJSAMP_420;
            hs = vs = 2;
            break;
        case Sampling::Grey:
            subsamp = TJSAMP_GRAY;
            break;
    }
    const int planes = sampling == Sampling::Grey ? 1 : 3;
    std::vector<std::vector<unsigned char>> data(planes);
    const unsigned char* pointers[3] = {};
    int strides[3] = {};
    for (int p = 0; p < planes; ++p) {
        const int pw = tjPlaneWidth(p, width, subsamp);
        const int ph = tjPlaneHeight(p, height, subsamp);
        data[p].resize(static_cast<std::size_t>(pw) * ph);
        for (int y = 0; y < ph; ++y) {
            for (int x = 0; x < pw; ++x) {
                const int lx = p == 0 ? x : x * hs;
                const int ly = p == 0 ? y : y * vs;
                const Ycc c = colour(lx < width ? lx : width - 1, ly < height ? ly : height - 1);
                data[p][static_cast<std::size_t>(y) * pw + x] = p == 0 ? c.y : p == 1 ? c.cb : c.cr;
            }
        }
        pointers[p] = data[p].data();
        strides[p] = pw;
    }
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int rc = tjCompressFromYUVPlanes(handle, pointers, width, strides, height, subsamp, &jpeg,
                                           &size, quality, 0);
    std::vector<unsigned char> bytes;
    if (rc == 0)
        bytes.assign(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(handle);
    if (rc != 0)
        throw std::runtime_error("tjCompressFromYUVPlanes failed");
    return bytes;
}

namespace {

std::vector<unsigned char> compress(int width, int height, int components, J_COLOR_SPACE space,
                                    const std::vector<unsigned char>& pixels) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, space);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data()) +
                       static_cast<std::size_t>(cinfo.next_scanline) * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<unsigned char> bytes(out, out + size);
    std::free(out);
    return bytes;
}

}  // namespace

std::vector<unsigned char> rgbStoredJpeg(int width, int height, unsigned char r, unsigned char g,
                                         unsigned char b) {
    std::vector<unsigned char> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b});
    return compress(width, height, 3, JCS_RGB, pixels);
}

std::vector<unsigned char> cmykJpeg(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4, 100);
    return compress(width, height, 4, JCS_CMYK, pixels);
}

std::unique_ptr<unsigned char[]> libjpegDecodeToYcc(const std::string& path, int& width,
                                                    int& height) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);  // benchmark input is known good: errors exit
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_YCbCr;
    jpeg_start_decompress(&cinfo);
    width = static_cast<int>(cinfo.output_width);
    height = static_cast<int>(cinfo.output_height);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    std::unique_ptr<unsigned char[]> pixels(new unsigned char[stride * height]);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[8];
        for (int i = 0; i < 8; ++i) {
            const std::size_t y = std::min<std::size_t>(cinfo.output_scanline + i, height - 1);
            rows[i] = pixels.get() + y * stride;
        }
        jpeg_read_scanlines(&cinfo, rows, 8);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return pixels;
}

}  // namespace kadrix::camera::test
