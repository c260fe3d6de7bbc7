// The entry of "BmpToDcm.dll". Nothing thrown leaves it.
#include "bmptodcm/dcm_to_bmp.h"
#include "dcmtk_bridge.h"

extern "C" int DcmToBmp(const char* dicomPath, const char* bitmapPath) {
    if (!dicomPath || !*dicomPath || !bitmapPath || !*bitmapPath)
        return 0;
    try {
        const auto bitmap = kadrix::bmptodcm::renderFirstFrame(dicomPath);
        return bitmap && bitmap->saveBmp(bitmapPath) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
