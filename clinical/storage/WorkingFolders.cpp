#include "storage/WorkingFolders.h"

#include <QString>

#include <climits>
#include <filesystem>
#include <stdexcept>

namespace kadrix::clinical {

std::string tempRoot(const std::string& tempPathSetting) {
    std::string root = QString::fromStdString(tempPathSetting).trimmed().toStdString();
    if (!root.empty() && (root.back() == '/' || root.back() == '\\')) root.pop_back();
    return root;
}

std::string cleanFolderName(const std::string& name, bool replaceTilde) {
    if (QString::fromStdString(name).trimmed().isEmpty()) return {};
    std::string safe = name;
    for (char& c : safe) {
        switch (c) {
            case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|': c = '_'; break;
            case '~': if (replaceTilde) c = '_'; break;
            default: break;
        }
    }
    return safe;
}

std::string captureFolderDisplayName(const std::string& folderName) {
    const size_t tilde = folderName.find('~');
    if (tilde != std::string::npos && tilde > 0) return folderName.substr(0, tilde);
    if (folderName.empty() || folderName.find('.') != std::string::npos) return CurrentReportName;
    return folderName;
}

std::string queuePickerText(const std::string& folderName, int applyNo) {
    if (folderName.empty()) return std::to_string(applyNo);
    const size_t tilde = folderName.find('~');
    return tilde != std::string::npos && tilde > 0 ? folderName.substr(tilde + 1) : folderName;
}

std::string captureTargetLabel(const std::string& folderName) {
    return "采集到:" + captureFolderDisplayName(folderName);
}

std::string newNumberedFileName(const std::string& folder, const std::string& extension) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) throw std::runtime_error("cannot create the folder " + folder);
    for (int n = 1; n < INT_MAX; ++n) {
        const std::string name = folder + "/" + std::to_string(n) + extension;
        if (!fs::exists(fs::symlink_status(name, ec))) return name;
    }
    throw std::runtime_error("no free file name in " + folder);
}

}  // namespace kadrix::clinical
