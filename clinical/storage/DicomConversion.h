// DICOM files are shown through bitmaps that "BmpToDcm.dll" makes of them.
#pragma once

#include <string>

namespace kadrix::clinical {

class CommonService;

// Converts with the library's DcmToBmp; false after prompting why ("未找到BmpToDcm.dll",
// "装载文件失败！").
bool convertDicom(const std::string& dicom, const std::string& bitmap, const CommonService& common);
// The display bitmap of a DICOM file: <folder>/DisplayTempImage/<name>.bmp, made when missing.
// The empty name when the conversion failed.
std::string dicomDisplayBitmap(const std::string& dicom, const CommonService& common);

}  // namespace kadrix::clinical
