// CJpegManager: decodes one JPEG file through the codec "ijl15.dll" (loaded from the folder of
// the published module) into packed YCbCr 4:2:2 pixels, Y0 U Y1 V, two bytes per pixel, rows of
// width x 2 bytes top first; and computes luma and chroma means over rectangles of them.
#pragma once

#include "kadrix/camera/error.h"
#include "kadrix/camera/export.h"
#include "kadrix/camera/file_handler.h"

// Pixel coordinates of the top-left corner and the size.
struct KX_CAMERA_API tagRECTANGLE {
    int nLeft;
    int nTop;
    int nWidth;
    int nHeight;
};

struct KX_CAMERA_API tagYUV_FLOAT_T {
    double Y;
    double U;
    double V;
};

struct KX_CAMERA_API tagCHANNEL_AVERAGE_FLOAT_T {
    double Y0;
    double Y1;
};

class KX_CAMERA_API CJpegManager : public CFileHandler {
  public:
    static const char* const FILE_NAME_DLL;  // "ijl15.dll"

    CJpegManager();
    CJpegManager(const CJpegManager&) = delete;
    CJpegManager& operator=(const CJpegManager&) = delete;
    ~CJpegManager() override;

    void Initialize();  // throws CException* when the codec cannot be loaded
    void Terminate();
    // Decodes the file named by _pszFullPath. A second call replaces the earlier image.
    ERROR_T Decode();
    int GetWidth() { return _nWidth; }
    int GetHeight() { return _nHeight; }
    // Luma of pixel (x, y); 0 outside the decoded image.
    unsigned int GetY(int x, int y);
    // Both throw CException* for a null pData, before Decode, and for a rectangle that reaches
    // outside the image. nLeft is expected to be even (pixel pairs are read from it).
    void GetYUVAverage(tagRECTANGLE rect, tagYUV_FLOAT_T* pData);
    void GetEachChannelYAverage(tagRECTANGLE rect, tagCHANNEL_AVERAGE_FLOAT_T* pData);

  private:
    ERROR_T _LoadLibrary();
    void _FreeLibrary();
    void CheckStatisticsArguments(const tagRECTANGLE& rect, const void* pData);

    void* _hModule;
    void* _pfnInit;
    void* _pfnRead;
    void* _pfnFree;
    int _nWidth;
    int _nHeight;
    int _nChannels;
    unsigned char* _pbyData;
};
