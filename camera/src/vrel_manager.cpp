#include "kadrix/camera/vrel_manager.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "rostra/vrel_entry.h"
#include "trace_log.h"

namespace kadrix::camera {
namespace {

constinit TraceBuffer traceBuffer{};
constinit unsigned char traceSwitch = 1;
constinit TraceModule trace(traceBuffer, traceSwitch);

}  // namespace
}  // namespace kadrix::camera

using namespace kadrix::camera;

const char* const CVrelManager::FILE_NAME_DLL = "Rostra.dll";

CVrelManager::CVrelManager()
    : _hModule(nullptr),
      _pbyData(nullptr),
      _pfnGetVrel2MainImage(nullptr),
      _unWidth(0),
      _unHeight(0),
      _nBits(0),
      _ulOffset(0) {}

CVrelManager::~CVrelManager() {
    _FreeLibrary();
    std::free(_pbyData);
    _pbyData = nullptr;
}

void CVrelManager::Initialize() {
    const ERROR_T result = _LoadLibrary();
    if (IsFailure(result))
        fail("[FUNC] _LoadLibrary", result);
    _pfnGetVrel2MainImage = dlsym(_hModule, "GetVrel2MainImage");
    if (!_pfnGetVrel2MainImage)
        fail("[WAPI] GetProcAddress", ERR_FAILED);
}

void CVrelManager::Terminate() {
    _FreeLibrary();
}

void CVrelManager::_FreeLibrary() {
    if (_hModule)
        dlclose(_hModule);
    _hModule = nullptr;
}

ERROR_T CVrelManager::_LoadLibrary() {
    const ERROR_T result = catching(trace, [&] {
        trace.line("[----]");
        trace.line("[FUNC] CVrelManager::_LoadLibrary");
        GetFullPath(FILE_NAME_DLL);
        trace.line("[VALU] _pszFullPath - ", _pszFullPath);
        trace.commit();
        _FreeLibrary();  // a second Initialize replaces the first
        if (_pszFullPath && _pszFullPath[0] != '\0')
            _hModule = dlopen(_pszFullPath, RTLD_NOW | RTLD_LOCAL);
        if (!_hModule)
            fail("[WAPI] LoadLibrary", ERR_MODULE);
        return ERR_NONE;
    });
    trace.commit();
    return result;
}

std::size_t CVrelManager::ImageSize() const {
    const std::size_t bytesPerPixel = _nBits > 0 ? static_cast<std::size_t>(_nBits / 8) : 0;
    return bytesPerPixel * _unWidth * _unHeight;
}

ERROR_T CVrelManager::Decode() {
    unsigned char* pixels = nullptr;
    const ERROR_T result = catching(trace, [&] {
        trace.line("[----]");
        trace.line("[FUNC] CVrelManager::Decode");
        // An entry of a library that was unloaded must not be called either.
        if (!_pfnGetVrel2MainImage || !_hModule)
            fail("[VALU] GetVrelToMainImage", ERR_NOT_READY);
        auto getMainImage = reinterpret_cast<VREL_GET_MAIN_IMAGE_FN>(_pfnGetVrel2MainImage);
        // Outputs land in locals first: a refused file leaves the image and its size as they
        // were, so GetImageBuffer never copies more than the buffer holds.
        std::uint32_t width = 0, height = 0, offset = 0;
        std::int32_t bits = 0;
        const int status = getMainImage(_pszFullPath, &width, &height, &bits, &offset, &pixels);
        trace.line("[FUNC] GetVrelToMainImage - ", status);
        if (status != 0)
            fail("[FUNC] GetVrelToMainImage", static_cast<ERROR_T>(status));
        std::free(_pbyData);  // a second Decode replaces the first image
        _pbyData = nullptr;
        _unWidth = width;
        _unHeight = height;
        _nBits = bits;
        _ulOffset = offset;
        trace.line("[VALU] _unWidth  - ", _unWidth);
        trace.line("[VALU] _unHeight - ", _unHeight);
        trace.line("[VALU] _nBits    - ", _nBits);
        trace.line("[VALU] _ulOffset - ", _ulOffset);
        const std::size_t size = ImageSize();
        // Success with a size but no pixels would hand out memory nobody wrote.
        if (size && !pixels)
            fail("[VALU] _pbyData", ERR_FAILED);
        _pbyData = static_cast<unsigned char*>(std::malloc(size ? size : 1));
        if (!_pbyData)
            fail("[VALU] _pbyData", ERR_MEMORY);
        if (size && pixels)
            std::memcpy(_pbyData, pixels, size);
        std::free(pixels);
        pixels = nullptr;
        trace.line("[WAPI] HeapFree - ", 1);
        return ERR_NONE;
    });
    std::free(pixels);  // the library's buffer, when a later step failed
    trace.line("[FUNC] CVrelManager::Decode - ", result);
    trace.commit();
    return result;
}

void CVrelManager::GetImageBuffer(unsigned char** ppbyData) {
    if (!ppbyData)
        fail("[VALU] ppbyData", ERR_ARGUMENT);
    if (!_pbyData)
        fail("[VALU] _pbyData", ERR_NOT_READY);
    const std::size_t size = ImageSize();
    *ppbyData = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (!*ppbyData)
        fail("[VALU] *ppbyData", ERR_MEMORY);
    if (size)
        std::memcpy(*ppbyData, _pbyData, size);
}
