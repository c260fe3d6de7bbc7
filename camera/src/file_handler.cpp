#include "kadrix/camera/file_handler.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "dll_handle.h"
#include "module_file.h"
#include "open_error_texts.h"
#include "trace_log.h"

namespace kadrix::camera {
namespace {

constinit TraceBuffer traceBuffer{};
constinit unsigned char traceSwitch = 1;
constinit TraceModule trace(traceBuffer, traceSwitch);

constexpr std::size_t kCapacity = CFileHandler::PATH_CAPACITY;

// The character after the last separator; null when there is none.
char* fileNamePart(char* path) {
    char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : nullptr;
}

bool fits(std::size_t length) {
    return length < kCapacity;
}

// The file name the system gives the module, refused when it does not fit a path buffer.
std::string moduleFileNameOrFail(void* hModule) {
    std::string name;
    if (!moduleFileName(hModule, name) || !fits(name.size()))
        fail("[WAPI] GetModuleFIleName", ERR_FAILED);
    return name;
}

void* executableOrFail() {
    void* hModule = executableModuleHandle();
    if (!hModule)
        fail("[FUNC] GetModuleHandle", ERR_MODULE);
    return hModule;
}

}  // namespace
}  // namespace kadrix::camera

using namespace kadrix::camera;

CFileHandler::CFileHandler()
    : _nHandle(-1), _pszFullPath(nullptr), _pszFileName(nullptr), _pszOpenedPath(nullptr) {
    _pszFullPath = new (std::nothrow) char[kCapacity];
    if (!_pszFullPath)
        fail("[VALU] _pszFullPath", ERR_MEMORY);
    _pszFullPath[0] = '\0';
}

CFileHandler::CFileHandler(const CFileHandler& other)
    : _nHandle(-1), _pszFullPath(nullptr), _pszFileName(nullptr), _pszOpenedPath(nullptr) {
    CopyFrom(other);
}

CFileHandler& CFileHandler::operator=(const CFileHandler& other) {
    if (this != &other) {
        Release();
        CopyFrom(other);
    }
    return *this;
}

CFileHandler::~CFileHandler() {
    Release();
}

void CFileHandler::CopyFrom(const CFileHandler& other) {
    _nHandle = other._nHandle >= 0 ? dup(other._nHandle) : -1;
    auto copyBuffer = [](const char* source) -> char* {
        if (!source)
            return nullptr;
        char* copy = new char[kCapacity];
        std::memcpy(copy, source, kCapacity);
        return copy;
    };
    _pszFullPath = copyBuffer(other._pszFullPath);
    _pszOpenedPath = copyBuffer(other._pszOpenedPath);
    // The file-name position moves with the buffer it points into.
    auto rebase = [&](const char* from, char* to) -> bool {
        if (!from || !to || other._pszFileName < from || other._pszFileName >= from + kCapacity)
            return false;
        _pszFileName = to + (other._pszFileName - from);
        return true;
    };
    if (!rebase(other._pszFullPath, _pszFullPath) && !rebase(other._pszOpenedPath, _pszOpenedPath))
        _pszFileName = nullptr;
}

void CFileHandler::Release() {
    if (_nHandle != -1)
        close(_nHandle);
    _nHandle = -1;
    delete[] _pszFullPath;
    delete[] _pszOpenedPath;
    _pszFullPath = nullptr;
    _pszOpenedPath = nullptr;
    _pszFileName = nullptr;
}

ERROR_T CFileHandler::Open(const char* path, int oflag) {
    return OpenFile(path, oflag, false, 0);
}

ERROR_T CFileHandler::Open(const char* path, int oflag, int pmode) {
    return OpenFile(path, oflag, true, pmode);
}

ERROR_T CFileHandler::OpenFile(const char* path, int oflag, bool withMode, int pmode) {
    const ERROR_T result = catching(trace, [&] {
        if (!path || !fits(std::strlen(path)))
            fail("[VALU] path", ERR_FAILED);
        if (!std::strrchr(path, '/'))
            fail("[VALU] _pszFileName", ERR_FAILED);
        if (_nHandle != -1) {  // a second Open replaces the first file
            close(_nHandle);
            _nHandle = -1;
        }
        if (!_pszOpenedPath)
            _pszOpenedPath = new char[kCapacity];
        std::strcpy(_pszOpenedPath, path);
        _pszFileName = fileNamePart(_pszOpenedPath);
        _nHandle = withMode ? open(path, oflag, pmode) : open(path, oflag);
        if (_nHandle == -1) {
            const int error = errno;
            if (const char* explanation = openErrorExplanation(error))
                trace.line("[CMNT]", explanation);
            else
                trace.text("[CMNT]");  // the failure line continues this one
            fail("[SYSF] _open", ERR_FAILED);
        }
        return ERR_NONE;
    });
    trace.commit();
    return result;
}

ERROR_T CFileHandler::Close() {
    const ERROR_T result = catching(trace, [&] {
        const int rc = close(_nHandle);
        _nHandle = -1;
        if (rc == -1)
            fail("[STDF] _close", ERR_FAILED);
        return ERR_NONE;
    });
    trace.commit();
    return result;
}

ERROR_T CFileHandler::GetFullPath(char* /*pszFullPath*/, char* /*pszFileName*/) {
    char* scratch = nullptr;
    const ERROR_T result = catching(trace, [&] {
        void* hModule = executableOrFail();
        scratch = new (std::nothrow) char[kCapacity];
        if (!scratch)
            fail("[VALU] pszFullPath", ERR_MEMORY);
        std::strcpy(scratch, moduleFileNameOrFail(hModule).c_str());
        const char* fileName = fileNamePart(scratch);
        if (!fileName)
            fail("[VALU] pszFileName", ERR_FAILED);
        trace.line("[VALU] pszFullPath - ", scratch);
        trace.line("[VALU] pszFileName - ", fileName);
        return ERR_NONE;
    });
    delete[] scratch;
    trace.commit();
    return result;
}

void CFileHandler::GetFullPath() {
    catching(trace, [&] {
        void* hModule = executableOrFail();
        const std::string name = moduleFileNameOrFail(hModule);
        if (!_pszFullPath)
            fail("[VALU] _pszFullPath", ERR_NOT_READY);
        std::strcpy(_pszFullPath, name.c_str());
        _pszFileName = fileNamePart(_pszFullPath);
        if (!_pszFileName)
            fail("[VALU] _pszFileName", ERR_FAILED);
        return ERR_NONE;
    });
    trace.commit();
}

void CFileHandler::GetFullPath(const char* pParameter) {
    catching(trace, [&] {
        if (!pParameter)
            fail("[VALU] pParameter", ERR_ARGUMENT);
        void* hModule = nullptr;
        const ERROR_T lookup = GetDllHandle(hModule);
        if (IsFailure(lookup))
            fail("[FUNC] GetDllHandle", lookup);
        std::string path = moduleFileNameOrFail(hModule);
        if (!_pszFullPath)
            fail("[VALU] _pszFullPath", ERR_NOT_READY);
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos)
            fail("[VALU] _pszFileName", ERR_FAILED);
        path.replace(slash + 1, std::string::npos, pParameter);
        // Composed first, so a name that does not fit leaves the object unchanged.
        if (!fits(path.size()))
            fail("[VALU] pParameter", ERR_FAILED);
        std::strcpy(_pszFullPath, path.c_str());
        _pszFileName = _pszFullPath + slash + 1;
        return ERR_NONE;
    });
    trace.commit();
}

void CFileHandler::GetFileName(const char* /*pUnused*/) {
    catching(trace, [&] {
        if (!_pszFullPath)
            fail("[VALU] _pszFullPath", ERR_NOT_READY);
        if (!_pszFileName)
            fail("[VALU] _pszFileName", ERR_NOT_READY);
        char* fileName = fileNamePart(_pszFullPath);
        if (!fileName)
            fail("[VALU] _pszFileName", ERR_FAILED);
        _pszFileName = fileName;
        return ERR_NONE;
    });
    trace.commit();
}

char* CFileHandler::GetFileName() {
    trace.commit();
    return _pszFileName;
}

void CFileHandler::SetFullPath(char* pszFullPath) {
    if (!pszFullPath)
        fail("[FUNC] pszFullPath", ERR_ARGUMENT);
    if (!_pszFullPath)
        fail("[VALU] _pszFullPath", ERR_NOT_READY);
    if (!fits(std::strlen(pszFullPath)))
        fail("[VALU] pszFullPath", ERR_FAILED);
    // The new path may be a part of the old one (its file name): copy as overlapping memory.
    std::memmove(_pszFullPath, pszFullPath, std::strlen(pszFullPath) + 1);
}

void CFileHandler::SetFileName(char* pszFileName) {
    if (!pszFileName)
        fail("[FUNC] pszFileName", ERR_ARGUMENT);
    if (!_pszFileName)
        fail("[VALU] _pszFileName", ERR_NOT_READY);
    // _pszFileName always points into one of this object's path buffers.
    const char* buffer = _pszFullPath;
    if (!buffer || _pszFileName < buffer || _pszFileName >= buffer + kCapacity)
        buffer = _pszOpenedPath;
    const std::size_t offset = static_cast<std::size_t>(_pszFileName - buffer);
    if (!fits(offset + std::strlen(pszFileName)))
        fail("[VALU] pszFileName", ERR_FAILED);
    std::memmove(_pszFileName, pszFileName, std::strlen(pszFileName) + 1);
}
