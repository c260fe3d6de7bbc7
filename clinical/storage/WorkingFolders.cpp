#include "storage/WorkingFolders.h"

#include <QString>

#include <climits>
#include <filesystem>
#include <stdexcept>

#include "config/HostServices.h"
#include "config/ModuleSettings.h"
#include "kadrix/platform/file_services.h"

namespace kadrix::clinical {
namespace fs = std::filesystem;

std::string tempRoot(const std::string& tempPathSetting) {
    std::string root = QString::fromStdString(tempPathSetting).trimmed().toStdString();
    if (!root.empty() && (root.back() == '/' || root.back() == '\\'))
        root.pop_back();
    return root;
}

std::string captureFolder(const std::string& tempRoot, const std::string& captureFolderName) {
    return captureFolderName.empty() ? tempRoot : tempRoot + "/" + captureFolderName;
}

std::string hostProgramFolder() {
    return platform::hostProgramFolder();
}
std::string hostCurrentFolder(const BaseInfoService& baseInfo) {
    return baseInfo.curDir();
}
std::string downloadFolder(const ModuleSettings& settings) {
    return settings.defaultDownImagePath;
}

std::string videoPlaceholderFile(const std::string& exe) {
    return exe + "move.bmp";
}
std::string filmIconFile(const std::string& exe) {
    return exe + "FilmIcon.bmp";
}

std::string sketchTemplateFile(const std::string& exe, const std::string& instrumentCode) {
    return exe + QString::fromStdString(instrumentCode).trimmed().toStdString() + ".bmp";
}

std::string videoThumbnailFolder(const std::string& exe) {
    return exe + "TempPictrue";
}

std::string videoThumbnailFile(const std::string& exe, const std::string& video) {
    return videoThumbnailFolder(exe) + "/" + fs::path(video).filename().string() + ".jpg";
}

std::string selectedDicomBitmapFile(const std::string& cur) {
    return cur + "Temp/Temp1.bmp";
}
std::string sketchScratchBitmapFile(const std::string& cur) {
    return cur + "Temp/SmapName1.bmp";
}
std::string thumbnailScratchBitmapFile(const std::string& cur) {
    return cur + "Temp/TempImageList1.bmp";
}
std::string captureScratchBitmapFile(const std::string& cur) {
    return cur + "Temp/CaptureIamge1.bmp";
}

std::string displayBitmapFolder(const std::string& dicom) {
    return (fs::path(dicom).parent_path() / "DisplayTempImage").string();
}

std::string dicomDisplayBitmapFile(const std::string& dicom) {
    return (fs::path(displayBitmapFolder(dicom)) /
            fs::path(dicom).filename().replace_extension(".bmp"))
        .string();
}

std::optional<std::string> storedDisplayBitmapFile(const std::string& image) {
    std::string name = fs::path(image).filename().string();
    if (name.find(".dcm") == std::string::npos)
        return std::nullopt;
    for (size_t at = name.find(".dcm"); at != std::string::npos; at = name.find(".dcm", at + 4))
        name.replace(at, 4, ".bmp");
    return (fs::path(displayBitmapFolder(image)) / name).string();
}

std::string CleanFolderName(const std::string& name, bool replaceTilde) {
    if (QString::fromStdString(name).trimmed().isEmpty())
        return {};
    std::string safe = name;
    for (char& c : safe) {
        switch (c) {
            case '/':
            case '\\':
            case ':':
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
            case '|':
                c = '_';
                break;
            case '~':
                if (replaceTilde)
                    c = '_';
                break;
            default:
                break;
        }
    }
    return safe;
}

std::string captureFolderName(const std::string& patientName, int32_t applyNo) {
    return CleanFolderName(patientName, false) + "~" + std::to_string(applyNo);
}

std::string cacheFolderName(const std::string& patientName, int32_t applyNo) {
    return CleanFolderName(patientName, true) + "~" + std::to_string(applyNo);
}

std::string captureFolderDisplayName(const std::string& folderName) {
    const size_t tilde = folderName.find('~');
    if (tilde != std::string::npos && tilde > 0)
        return folderName.substr(0, tilde);
    if (folderName.empty() || folderName.find('.') != std::string::npos)
        return CurrentReportName;
    return folderName;
}

std::string queuePickerText(const std::string& folderName, int applyNo) {
    if (folderName.empty())
        return std::to_string(applyNo);
    const size_t tilde = folderName.find('~');
    return tilde != std::string::npos && tilde > 0 ? folderName.substr(tilde + 1) : folderName;
}

std::string captureTargetLabel(const std::string& folderName) {
    return "采集到:" + captureFolderDisplayName(folderName);
}

std::string newNumberedFileName(const std::string& folder, const std::string& extension) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec))
        throw std::runtime_error("cannot create the folder " + folder);
    for (int n = 1; n < INT_MAX; ++n) {
        const std::string name = folder + "/" + std::to_string(n) + extension;
        if (!fs::exists(fs::symlink_status(name, ec)))
            return name;
    }
    throw std::runtime_error("no free file name in " + folder);
}

}  // namespace kadrix::clinical
