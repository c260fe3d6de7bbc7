#include "storage/DicomConversion.h"

#include <filesystem>

#include "config/HostServices.h"
#include "kadrix/platform/library.h"
#include "storage/WorkingFolders.h"

namespace kadrix::clinical {
namespace fs = std::filesystem;

namespace {
enum class Outcome { Converted, NoLibrary, Failed };

Outcome runConversion(const std::string& dicom, const std::string& bitmap, bool onlyWhenMissing) {
    auto library = platform::SharedLibrary::load("BmpToDcm.dll");
    if (!library)
        return Outcome::NoLibrary;
    std::error_code ec;
    if (onlyWhenMissing && fs::exists(bitmap, ec))
        return Outcome::Converted;
    auto convert = library->function<int(const char*, const char*)>("DcmToBmp");
    if (!convert || (*convert)(dicom.c_str(), bitmap.c_str()) == 0)
        return Outcome::Failed;
    return Outcome::Converted;
}

bool report(Outcome outcome, const CommonService& common) {
    if (outcome == Outcome::NoLibrary)
        common.prompt("未找到BmpToDcm.dll");
    if (outcome == Outcome::Failed)
        common.prompt("装载文件失败！");
    return outcome == Outcome::Converted;
}
}  // namespace

bool convertDicom(const std::string& dicom, const std::string& bitmap,
                  const CommonService& common) {
    return report(runConversion(dicom, bitmap, false), common);
}

std::string dicomDisplayBitmap(const std::string& dicom, const CommonService& common) {
    std::error_code ec;
    fs::create_directories(displayBitmapFolder(dicom), ec);
    const std::string target = dicomDisplayBitmapFile(dicom);
    return report(runConversion(dicom, target, true), common) ? target : std::string();
}

}  // namespace kadrix::clinical
