/* The interface of "BmpToDcm.dll", which the clinical module loads on demand to show DICOM
   files: the first frame of a DICOM file as a 24-bit BMP. */
#ifndef KADRIX_BMPTODCM_DCM_TO_BMP_H
#define KADRIX_BMPTODCM_DCM_TO_BMP_H

#if defined(KADRIX_BMPTODCM_BUILD)
#define KX_BMPTODCM_API __attribute__((visibility("default")))
#else
#define KX_BMPTODCM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Converts the first frame of `dicomPath` into the 24-bit BMP `bitmapPath` (file names as
   bytes). Monochrome pictures (MONOCHROME1 shown inverted, 8 to 16 bits, signed or unsigned)
   use the file's first window, else its first VOI LUT, else the frame's own minimum to maximum;
   colour pictures (RGB, YBR) are converted to RGB. Uncompressed, JPEG and RLE transfer syntaxes
   are read. Returns 1 on success and 0 on failure (null paths, a file that is not a readable
   DICOM picture, a target that cannot be written); on failure the target is left as it was. */
KX_BMPTODCM_API int DcmToBmp(const char* dicomPath, const char* bitmapPath);

typedef int (*DcmToBmpFunction)(const char* dicomPath, const char* bitmapPath);

#ifdef __cplusplus
}
#endif

#endif
