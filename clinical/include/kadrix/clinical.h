/* The exported host interface of kadrix_clinical, the image manager plug-in of the radiology
   workstation. Texts are the runtime's host strings (code page 936) and wide strings (UTF-16);
   a text result is assigned into the variable whose address is the first argument. Failures of
   the host's services are not caught here: they reach the host as C++ exceptions. */
#pragma once

#include <stdbool.h>
#include <stdint.h>

#include "kadrix/platform/host_string.h"
#include "kadrix/platform/messages.h"
#include "kadrix/platform/picture_api.h"
#include "kadrix/platform/wide_string.h"

#if defined(KADRIX_CLINICAL_BUILD)
#define KX_CLINICAL_API __attribute__((visibility("default")))
#else
#define KX_CLINICAL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

KX_CLINICAL_API void CreateKadrix(KxHwnd grabber);
KX_CLINICAL_API void FreeKadrix(void);
KX_CLINICAL_API void ShowKadrix(void);
KX_CLINICAL_API void HideKadrix(void);
KX_CLINICAL_API KxHwnd GetKadrixHandle(void);
KX_CLINICAL_API void SetGrabHandle(KxHwnd grabber);
KX_CLINICAL_API void SetAviFileName(KxWideString fileName);

KX_CLINICAL_API void GetSettingString(KxHostString* result, KxHostString section, KxHostString key,
                                      KxHostString defaultValue);
KX_CLINICAL_API bool SetSettingString(KxHostString section, KxHostString key, KxHostString value);
KX_CLINICAL_API int32_t GetSettingInt(KxHostString section, KxHostString key, int32_t defaultValue);
KX_CLINICAL_API bool SetSettingInt(KxHostString section, KxHostString key, int32_t value);
KX_CLINICAL_API double GetSettingDateTime(KxHostString section, KxHostString key, double defaultValue);
KX_CLINICAL_API bool SetSettingDateTime(KxHostString section, KxHostString key, double value);

KX_CLINICAL_API void GetTempPath(KxWideString* result);
KX_CLINICAL_API void GetSelectFullPath(KxWideString* result, KxHostString mode);

/* The JPEG image belongs to the caller (kx_jpeg_free). */
KX_CLINICAL_API KxJpegImage* Bit2JpegH(const KxBitmap* bitmap, int32_t quality);
KX_CLINICAL_API void Bit2JpegF(const KxBitmap* bitmap, int32_t quality, KxWideString file);
KX_CLINICAL_API void Bmp2Jpeg(KxWideString bitmapFile, KxWideString jpegFile, int32_t quality);

KX_CLINICAL_API int32_t GetTempImageCount(void);
/* The first free <folder>/<n><extension>, n = 1, 2, ...; the folder is made with its parents.
   A folder that cannot be made raises std::runtime_error rather than handing out a name
   nothing can be written to. */
KX_CLINICAL_API void GetNewImagFileName(KxWideString* result, KxWideString folder, KxWideString extension);
KX_CLINICAL_API bool GetPatInfOfImage(int32_t applyNo, KxHostString* techNo, KxHostString* hospNo, int32_t* age,
                                      KxHostString* ageUnit, KxHostString* birthday, KxHostString* patName,
                                      KxHostString* sex, KxHostString* modality);

#ifdef __cplusplus
}
#endif
