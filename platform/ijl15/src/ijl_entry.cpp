// The entries of "ijl15.dll".
#include <cstring>
#include <new>

#include "ijl15/ijl_properties.h"
#include "libjpeg_bridge.h"

#define IJL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using kadrix::ijl15::Conversion;
using kadrix::ijl15::JpegReader;
using kadrix::ijl15::ReadResult;
using kadrix::ijl15::StoredColor;
using kadrix::ijl15::Subsampling;

int resultCode(ReadResult result) {
    switch (result) {
        case ReadResult::Ok:
            return 0;
        case ReadResult::FileError:
            return IJL_ERR_FILE;
        case ReadResult::DataError:
            return IJL_ERR_DATA;
        case ReadResult::MemoryError:
            return IJL_ERR_MEMORY;
        case ReadResult::ColorError:
            return IJL_ERR_COLOR;
    }
    return IJL_ERR_DATA;
}

int colorValue(StoredColor color) {
    switch (color) {
        case StoredColor::Grey:
            return IJL_G;
        case StoredColor::YCbCr:
            return IJL_YCBCR;
        case StoredColor::Rgb:
            return IJL_RGB;
        case StoredColor::Other:
            break;
    }
    return IJL_OTHER;
}

int subsamplingValue(Subsampling subsampling) {
    switch (subsampling) {
        case Subsampling::None:
            return IJL_SUBSAMPLING_NONE;
        case Subsampling::H2V1:
            return IJL_SUBSAMPLING_422;
        case Subsampling::H2V2:
            return IJL_SUBSAMPLING_420;
        case Subsampling::Other:
            break;
    }
    return IJL_SUBSAMPLING_OTHER;
}

bool knownColor(int value) {
    return value == IJL_RGB || value == IJL_YCBCR || value == IJL_G || value == IJL_OTHER;
}

int readParameters(IJL_PROPERTIES* props, JpegReader& reader) {
    if (!props->JPGFile)
        return IJL_ERR_FILE;
    const int rc = resultCode(reader.open(props->JPGFile));
    if (rc != 0)
        return rc;
    const auto& header = reader.header();
    props->JPGWidth = header.width;
    props->JPGHeight = header.height;
    props->JPGChannels = header.components;
    props->JPGColor = colorValue(header.color);
    props->JPGSubsampling = subsamplingValue(header.subsampling);
    return 0;
}

int readWholeImage(IJL_PROPERTIES* props, JpegReader& reader) {
    if (!props->JPGFile)
        return IJL_ERR_FILE;
    // The header read may belong to another file, or have been used up by an earlier image.
    if (!reader.isOpen() || reader.path() != props->JPGFile) {
        const int rc = resultCode(reader.open(props->JPGFile));
        if (rc != 0)
            return rc;
    }
    const auto& header = reader.header();
    // Only the packed two-byte layout of the whole image is made; no scaling, no cropping.
    if (!props->DIBBytes || props->DIBChannels != 2 || props->DIBWidth != header.width ||
        props->DIBHeight != header.height || props->DIBPadBytes < 0 ||
        !knownColor(props->JPGColor) ||
        (props->DIBColor != IJL_YCBCR && props->DIBColor != IJL_OTHER)) {
        reader.close();
        return IJL_ERR_ARGUMENT;
    }
    const std::size_t stride = static_cast<std::size_t>(props->DIBWidth) * 2 +
                               static_cast<std::size_t>(props->DIBPadBytes);
    const Conversion conversion =
        props->DIBColor == IJL_YCBCR ? Conversion::ToYCbCr : Conversion::AsStored;
    return resultCode(reader.readPacked422(props->DIBBytes, stride, conversion));
}

}  // namespace

IJL_EXPORT int ijlInit(IJL_PROPERTIES* props) {
    if (!props)
        return IJL_ERR_ARGUMENT;
    std::memset(props, 0, sizeof *props);
    props->state = new (std::nothrow) JpegReader;
    return props->state ? 0 : IJL_ERR_MEMORY;
}

IJL_EXPORT int ijlRead(IJL_PROPERTIES* props, int ioType) {
    if (!props || !props->state)
        return IJL_ERR_ARGUMENT;
    auto& reader = *static_cast<JpegReader*>(props->state);
    switch (ioType) {
        case IJL_JFILE_READPARAMS:
            return readParameters(props, reader);
        case IJL_JFILE_READWHOLEIMAGE:
            return readWholeImage(props, reader);
        default:
            return IJL_ERR_ARGUMENT;
    }
}

IJL_EXPORT int ijlFree(IJL_PROPERTIES* props) {
    if (!props)
        return IJL_ERR_ARGUMENT;
    delete static_cast<JpegReader*>(props->state);
    props->state = nullptr;
    return 0;
}
