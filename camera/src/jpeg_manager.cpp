#include "kadrix/camera/jpeg_manager.h"

#include <dlfcn.h>

#include <cstdlib>

#include "ijl15/ijl_properties.h"
#include "pair_sums.h"
#include "pixel_buffer.h"
#include "trace_log.h"

namespace kadrix::camera {
namespace {

constinit TraceBuffer traceBuffer{};
constinit unsigned char traceSwitch = 1;
constinit TraceModule trace(traceBuffer, traceSwitch);

constexpr int kDecodedChannels = 2;

}  // namespace
}  // namespace kadrix::camera

using namespace kadrix::camera;

const char* const CJpegManager::FILE_NAME_DLL = "ijl15.dll";

CJpegManager::CJpegManager()
    : _hModule(nullptr),
      _pfnInit(nullptr),
      _pfnRead(nullptr),
      _pfnFree(nullptr),
      _nWidth(0),
      _nHeight(0),
      _nChannels(0),
      _pbyData(nullptr) {}

CJpegManager::~CJpegManager() {
    _FreeLibrary();
    std::free(_pbyData);
    _pbyData = nullptr;
}

void CJpegManager::Initialize() {
    const ERROR_T result = _LoadLibrary();
    if (IsFailure(result))
        fail("[FUNC] _LoadLibrary", result);
}

void CJpegManager::Terminate() {
    _FreeLibrary();
}

void CJpegManager::_FreeLibrary() {
    if (_hModule)
        dlclose(_hModule);
    _hModule = nullptr;
}

ERROR_T CJpegManager::_LoadLibrary() {
    const ERROR_T result = catching(trace, [&] {
        trace.line("[----]");
        trace.line("[FUNC] _LoadLibrary");
        GetFullPath(FILE_NAME_DLL);
        trace.line("[VALU] _pszFullPath - ", _pszFullPath);
        trace.commit();
        _FreeLibrary();  // a second Initialize replaces the first
        if (_pszFullPath && _pszFullPath[0] != '\0')
            _hModule = dlopen(_pszFullPath, RTLD_NOW | RTLD_LOCAL);
        if (!_hModule)
            fail("[WAPI] LoadLibrary", ERR_MODULE);
        _pfnInit = dlsym(_hModule, "ijlInit");
        if (!_pfnInit)
            fail("[WAPI] _ijlInit", ERR_FAILED);
        _pfnRead = dlsym(_hModule, "ijlRead");
        if (!_pfnRead)
            fail("[WAPI] _ijlRead", ERR_FAILED);
        _pfnFree = dlsym(_hModule, "ijlFree");
        if (!_pfnFree)
            fail("[WAPI] GetProcAddress", ERR_FAILED);
        return ERR_NONE;
    });
    trace.line("[FUNC] CJpegManager::_LoadLibrary - ", result);
    trace.commit();
    return result;
}

ERROR_T CJpegManager::Decode() {
    IJL_PROPERTIES jcprops{};
    IJL_FREE_FN ijlFree = nullptr;
    const ERROR_T result = catching(trace, [&] {
        trace.line("[----]");
        trace.line("[FUNC] CJpegManager::Decode");
        if (!_pszFullPath)
            fail("[VALU] _pszFullPath", ERR_NOT_READY);
        // Entries of a codec that was never loaded, or was unloaded, must not be called.
        if (!_hModule || !_pfnInit || !_pfnRead || !_pfnFree)
            fail("[VALU] _hModule", ERR_NOT_READY);
        auto ijlInit = reinterpret_cast<IJL_INIT_FN>(_pfnInit);
        auto ijlRead = reinterpret_cast<IJL_READ_FN>(_pfnRead);
        if (ijlInit(&jcprops) != 0)
            fail("[FUNC] _ijlInit", ERR_FAILED);
        ijlFree = reinterpret_cast<IJL_FREE_FN>(_pfnFree);

        jcprops.JPGFile = _pszFullPath;
        trace.line("[VALU] _pszFullPath - ", _pszFullPath);
        if (ijlRead(&jcprops, IJL_JFILE_READPARAMS) != 0)
            fail("[FUNC] _ijlRead", ERR_FAILED);
        _nChannels = jcprops.JPGChannels;
        _nWidth = jcprops.JPGWidth;
        _nHeight = jcprops.JPGHeight;
        trace.line("[VALU] _nWidth    - ", _nWidth);
        trace.line("[VALU] _nHeight   - ", _nHeight);
        trace.line("[VALU] _nChannels - ", _nChannels);
        const unsigned int line = static_cast<unsigned int>(_nChannels) * static_cast<unsigned int>(_nWidth);
        const unsigned int pad = ((line + 3) & ~3u) - line;
        trace.line("[VALU] dib_line_width - ", line);
        trace.line("[VALU] dib_pad_bytes  - ", pad);
        if (_nWidth <= 0 || _nHeight <= 0)
            fail("[FUNC] _ijlRead", ERR_FAILED);

        // Sized for what the codec writes and the statistics read: rows of width x 2 bytes.
        std::free(_pbyData);
        _pbyData = allocatePixels(static_cast<std::size_t>(_nWidth) * kDecodedChannels *
                                  static_cast<std::size_t>(_nHeight));
        if (!_pbyData)
            fail("[FUNC] _pbyData", ERR_MEMORY);
        jcprops.DIBBytes = _pbyData;
        jcprops.DIBWidth = _nWidth;
        jcprops.DIBHeight = _nHeight;
        jcprops.DIBPadBytes = 0;  // rows stay width x 2 bytes, as the statistics step them
        jcprops.DIBChannels = kDecodedChannels;
        _nChannels = kDecodedChannels;
        jcprops.DIBColor = IJL_YCBCR;
        jcprops.DIBSubsampling = jcprops.JPGSubsampling;
        trace.line("[VALU] jcprops.JPGSubsampling - ", jcprops.JPGSubsampling);
        trace.line("[VALU] jcprops.JPGColor - ", jcprops.JPGColor);
        switch (jcprops.JPGColor) {
            case IJL_RGB:
                jcprops.JPGColor = IJL_G;
                break;
            case IJL_YCBCR:
                break;
            default:
                jcprops.JPGColor = IJL_OTHER;
                jcprops.DIBColor = IJL_OTHER;
                break;
        }
        const int r = ijlRead(&jcprops, IJL_JFILE_READWHOLEIMAGE);
        trace.line("[FUNC] _ijlRead - ", r);
        if (r != 0)
            fail("[FUNC] _ijlRead", ERR_FAILED);
        return ERR_NONE;
    });
    if (ijlFree)
        ijlFree(&jcprops);  // also after a failure: the codec's state is released
    trace.line("[FUNC] CJpegManager::Decode - ", result);
    trace.commit();
    return result;
}

unsigned int CJpegManager::GetY(int x, int y) {
    if (!_pbyData || x < 0 || y < 0 || x >= _nWidth || y >= _nHeight)
        return 0;
    const std::size_t offset = (static_cast<std::size_t>(_nWidth) * static_cast<std::size_t>(y) +
                                static_cast<std::size_t>(x)) *
                               static_cast<std::size_t>(_nChannels);
    return _pbyData[offset];
}

void CJpegManager::CheckStatisticsArguments(const tagRECTANGLE& rect, const void* pData) {
    if (!pData)
        fail("[VALU] pData", ERR_ARGUMENT);
    if (!_pbyData)
        fail("[VALU] _pbyData", ERR_NOT_READY);
    // Only a rectangle that lies inside the image is read; an empty one reads nothing.
    if (rect.nWidth > 0 && rect.nHeight > 0) {
        const long long right = static_cast<long long>(rect.nLeft) + rect.nWidth;
        const long long bottom = static_cast<long long>(rect.nTop) + rect.nHeight;
        if (rect.nLeft < 0 || rect.nTop < 0 || right > _nWidth || bottom > _nHeight)
            fail("[VALU] rect", ERR_ARGUMENT);
    }
}

namespace {

// Sums the pixel pairs of the rectangle row by row, committing the trace after every row.
PairSums sumRectangle(const unsigned char* data, int width, int channels,
                      const tagRECTANGLE& rect) {
    PairSums sums;
    const int pairs = rect.nWidth / 2;
    // An empty rectangle may lie outside the picture: nothing of it is addressed.
    if (pairs <= 0 || rect.nHeight <= 0)
        return sums;
    const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    const unsigned char* row =
        data + (static_cast<std::size_t>(width) * static_cast<std::size_t>(rect.nTop) +
                static_cast<std::size_t>(rect.nLeft)) *
                   static_cast<std::size_t>(channels);
    for (int y = 0; y < rect.nHeight; ++y, row += stride) {
        addPairSums(row, static_cast<std::size_t>(pairs), sums);
        trace.commit();
    }
    return sums;
}

}  // namespace

void CJpegManager::GetYUVAverage(tagRECTANGLE rect, tagYUV_FLOAT_T* pData) {
    trace.line("[----]");
    trace.line("[FUNC] CJpegManager::GetYUVAverage");
    CheckStatisticsArguments(rect, pData);
    const long long nSampleCount = static_cast<long long>(rect.nWidth) * rect.nHeight;
    trace.line("[VALU] nSampleCount - ", nSampleCount);
    const PairSums sums = sumRectangle(_pbyData, _nWidth, _nChannels, rect);
    const double n = static_cast<double>(nSampleCount);
    pData->Y = static_cast<double>(sums.y0 + sums.y1) / n;
    pData->U = static_cast<double>(sums.u) / (n * 0.5) - 128.0;
    pData->V = static_cast<double>(sums.v) / (n * 0.5) - 128.0;
    trace.line("[VALU] pData->Y - ", pData->Y);
    trace.line("[VALU] pData->U - ", pData->U);
    trace.line("[VALU] pData->V - ", pData->V);
    trace.line("[FUNC] CJpegManager::GetYUVAverage - 0");
    trace.commit();
}

void CJpegManager::GetEachChannelYAverage(tagRECTANGLE rect, tagCHANNEL_AVERAGE_FLOAT_T* pData) {
    CheckStatisticsArguments(rect, pData);
    const PairSums sums = sumRectangle(_pbyData, _nWidth, _nChannels, rect);
    const int pairs = rect.nWidth / 2;
    const long long count =
        pairs > 0 && rect.nHeight > 0 ? static_cast<long long>(pairs) * rect.nHeight : 0;
    pData->Y0 = static_cast<double>(sums.y0) / static_cast<double>(count);
    pData->Y1 = static_cast<double>(sums.y1) / static_cast<double>(count);
    trace.commit();
}
