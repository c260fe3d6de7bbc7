// CVrelManager: decodes a camera raw file through "Rostra.dll" (loaded from the folder of the
// published module) into the main image's pixels, as that library lays them out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kadrix/camera/error.h"
#include "kadrix/camera/export.h"
#include "kadrix/camera/file_handler.h"

class KX_CAMERA_API CVrelManager : public CFileHandler {
  public:
    static const char* const FILE_NAME_DLL;  // "Rostra.dll"

    CVrelManager();
    CVrelManager(const CVrelManager&) = delete;
    CVrelManager& operator=(const CVrelManager&) = delete;
    ~CVrelManager() override;

    void Initialize();  // throws CException* when the library or its entry is missing
    void Terminate();
    // ERR_* codes, or the raw library's own odd status when it refuses the file.
    ERROR_T Decode();
    // A new malloc'ed copy of the image (release it with free); throws CException* before a
    // successful Decode.
    void GetImageBuffer(unsigned char** ppbyData);
    unsigned int GetWidth() { return _unWidth; }
    unsigned int GetHeight() { return _unHeight; }

  private:
    ERROR_T _LoadLibrary();
    void _FreeLibrary();
    std::size_t ImageSize() const;

    void* _hModule;
    unsigned char* _pbyData;
    void* _pfnGetVrel2MainImage;
    std::uint32_t _unWidth;
    std::uint32_t _unHeight;
    std::int32_t _nBits;
    std::uint32_t _ulOffset;
};
