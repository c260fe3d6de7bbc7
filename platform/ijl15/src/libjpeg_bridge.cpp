#include "libjpeg_bridge.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace kadrix::ijl15 {

struct JpegReader::Session {
    jpeg_decompress_struct cinfo;
    struct Errors {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
        char message[JMSG_LENGTH_MAX];
    } errors;
    std::FILE* file = nullptr;
    bool created = false;
    // Inputs of the decoding step (the guarded steps take nothing else).
    unsigned char* destination = nullptr;
    std::size_t stride = 0;
    Conversion conversion = Conversion::ToYCbCr;
};

namespace {

using Session = JpegReader::Session;

[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<Session::Errors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings about damaged data (a truncated file, bad codes) would leave invented pixels behind:
// they fail the decode. Other warnings (stray bytes, an unknown JFIF revision) are harmless.
void onMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return;
    switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_NOT_SEQUENTIAL:
            onError(cinfo);
            break;
        default:
            break;
    }
}

// The one place libjpeg may jump back to. Steps hold no objects with destructors.
bool guarded(Session& s, void (*step)(Session&)) {
    if (setjmp(s.errors.jump))
        return false;
    step(s);
    return true;
}

void readHeader(Session& s) {
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    jpeg_stdio_src(&s.cinfo, s.file);
    jpeg_read_header(&s.cinfo, TRUE);
}

inline std::uint32_t pack(unsigned y0, unsigned cb, unsigned y1, unsigned cr) {
    return y0 | (cb << 8) | (y1 << 16) | (cr << 24);
}

inline unsigned clampByte(int value) {
    return static_cast<unsigned>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// JFIF full-range conversion, 16-bit fixed point.
inline void rgbToYCbCr(const JSAMPLE* p, unsigned& y, unsigned& cb, unsigned& cr) {
    const int r = p[0], g = p[1], b = p[2];
    y = clampByte((19595 * r + 38470 * g + 7471 * b + 32768) >> 16);
    cb = clampByte(((-11059 * r - 21709 * g + 32768 * b + 32768) >> 16) + 128);
    cr = clampByte(((32768 * r - 27439 * g - 5329 * b + 32768) >> 16) + 128);
}

// Chroma of a pair is the mean of its two pixels: exact for 4:2:2 and 4:2:0 files, whose
// samples plain upsampling duplicated.
void packRow(const JSAMPLE* source, int components, bool convertRgb, unsigned width,
             unsigned char* out) {
    const unsigned pairs = width / 2;
    if (components == 1) {
        for (unsigned i = 0; i < pairs; ++i) {
            const std::uint32_t group = pack(source[2 * i], 128, source[2 * i + 1], 128);
            std::memcpy(out + 4 * i, &group, 4);
        }
        if (width & 1) {
            out[4 * pairs] = source[width - 1];
            out[4 * pairs + 1] = 128;
        }
        return;
    }
    if (convertRgb) {
        for (unsigned i = 0; i < pairs; ++i) {
            unsigned y0, cb0, cr0, y1, cb1, cr1;
            rgbToYCbCr(source + 6 * i, y0, cb0, cr0);
            rgbToYCbCr(source + 6 * i + 3, y1, cb1, cr1);
            const std::uint32_t group = pack(y0, (cb0 + cb1 + 1) >> 1, y1, (cr0 + cr1 + 1) >> 1);
            std::memcpy(out + 4 * i, &group, 4);
        }
        if (width & 1) {
            unsigned y, cb, cr;
            rgbToYCbCr(source + 3 * (width - 1), y, cb, cr);
            out[4 * pairs] = static_cast<unsigned char>(y);
            out[4 * pairs + 1] = static_cast<unsigned char>(cb);
        }
        return;
    }
    for (unsigned i = 0; i < pairs; ++i) {
        const JSAMPLE* p = source + 6 * i;
        const std::uint32_t group =
            pack(p[0], (p[1] + p[4] + 1u) >> 1, p[3], (p[2] + p[5] + 1u) >> 1);
        std::memcpy(out + 4 * i, &group, 4);
    }
    if (width & 1) {
        out[4 * pairs] = source[3 * (width - 1)];
        out[4 * pairs + 1] = source[3 * (width - 1) + 1];
    }
}

void decode(Session& s) {
    jpeg_decompress_struct& cinfo = s.cinfo;
    bool convertRgb = false;
    switch (cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE:
            cinfo.out_color_space = JCS_GRAYSCALE;
            break;
        case JCS_RGB:
            cinfo.out_color_space = JCS_RGB;
            convertRgb = s.conversion == Conversion::ToYCbCr;
            break;
        default:  // YCbCr, decoded without the round trip through RGB
            cinfo.out_color_space = JCS_YCbCr;
            break;
    }
    // Plain upsampling repeats chroma samples, so each pair's chroma stays the file's own.
    cinfo.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&cinfo);
    const int components = cinfo.output_components;
    const unsigned width = cinfo.output_width;
    const JDIMENSION batch = cinfo.rec_outbuf_height > 8 ? cinfo.rec_outbuf_height : 8;
    JSAMPARRAY rows = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                 JPOOL_IMAGE, width * components, batch);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, batch);
        for (JDIMENSION i = 0; i < got; ++i)
            packRow(rows[i], components, convertRgb, width, s.destination + (first + i) * s.stride);
    }
    jpeg_finish_decompress(&cinfo);
}

Subsampling subsamplingOf(const jpeg_decompress_struct& cinfo) {
    if (cinfo.num_components == 1)
        return Subsampling::None;
    if (cinfo.num_components != 3)
        return Subsampling::Other;
    const jpeg_component_info* c = cinfo.comp_info;
    if (c[1].h_samp_factor != 1 || c[1].v_samp_factor != 1 || c[2].h_samp_factor != 1 ||
        c[2].v_samp_factor != 1)
        return Subsampling::Other;
    if (c[0].h_samp_factor == 1 && c[0].v_samp_factor == 1)
        return Subsampling::None;
    if (c[0].h_samp_factor == 2 && c[0].v_samp_factor == 1)
        return Subsampling::H2V1;
    if (c[0].h_samp_factor == 2 && c[0].v_samp_factor == 2)
        return Subsampling::H2V2;
    return Subsampling::Other;
}

StoredColor colorOf(const jpeg_decompress_struct& cinfo) {
    switch (cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE:
            return StoredColor::Grey;
        case JCS_YCbCr:
            return StoredColor::YCbCr;
        case JCS_RGB:
            return StoredColor::Rgb;
        default:
            return StoredColor::Other;
    }
}

}  // namespace

JpegReader::JpegReader() = default;

JpegReader::~JpegReader() {
    close();
}

bool JpegReader::isOpen() const {
    return session_ != nullptr;
}

void JpegReader::close() {
    if (!session_)
        return;
    if (session_->created)
        jpeg_destroy_decompress(&session_->cinfo);
    if (session_->file)
        std::fclose(session_->file);
    delete session_;
    session_ = nullptr;
}

ReadResult JpegReader::open(const char* path) {
    close();
    path_ = path ? path : "";
    header_ = JpegHeader{};
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file)
        return ReadResult::FileError;
    session_ = new (std::nothrow) Session{};
    if (!session_) {
        std::fclose(file);
        return ReadResult::MemoryError;
    }
    session_->file = file;
    session_->cinfo.err = jpeg_std_error(&session_->errors.manager);
    session_->errors.manager.error_exit = onError;
    session_->errors.manager.emit_message = onMessage;
    if (!guarded(*session_, readHeader)) {
        close();
        return ReadResult::DataError;
    }
    const jpeg_decompress_struct& cinfo = session_->cinfo;
    header_.width = static_cast<int>(cinfo.image_width);
    header_.height = static_cast<int>(cinfo.image_height);
    header_.components = cinfo.num_components;
    header_.color = colorOf(cinfo);
    header_.subsampling = subsamplingOf(cinfo);
    return ReadResult::Ok;
}

ReadResult JpegReader::readPacked422(unsigned char* destination, std::size_t stride,
                                     Conversion conversion) {
    if (!session_)
        return ReadResult::FileError;
    if (header_.color == StoredColor::Other) {
        close();
        return ReadResult::ColorError;
    }
    session_->destination = destination;
    session_->stride = stride;
    session_->conversion = conversion;
    const bool ok = guarded(*session_, decode);
    close();
    return ok ? ReadResult::Ok : ReadResult::DataError;
}

}  // namespace kadrix::ijl15
