#include "config/ModuleSettings.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>

#include "kadrix/platform/variant.h"
#include "storage/QueryRows.h"

namespace kadrix::clinical {
namespace fs = std::filesystem;

namespace {

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string extensionOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path.substr(dot);
}

constexpr const char* DefaultSection = "Images\\Default";
// The paint program offered for editing sketch pictures when none was chosen.
constexpr const char* DefaultPaintProgram = "/usr/bin/kolourpaint";

}  // namespace

const std::vector<std::string>& movieTypeChoices() {
    static const std::vector<std::string> choices = {".Avi", ".Dcm", ".Mpeg", ".mpg"};
    return choices;
}

bool isMovieFile(const std::string& path, const std::string& movFileType) {
    const std::string extension = upper(extensionOf(path));
    // A file without an extension is no movie, whatever the setting holds.
    return !extension.empty() && upper(movFileType).find(extension) != std::string::npos;
}

std::vector<bool> tickedMovieTypes(const std::string& movFileType) {
    std::vector<bool> ticked;
    for (const std::string& choice : movieTypeChoices()) ticked.push_back(movFileType.find(choice) != std::string::npos);
    return ticked;
}

std::string movieTypesText(const std::vector<bool>& ticked) {
    std::string text;
    for (size_t i = 0; i < movieTypeChoices().size() && i < ticked.size(); ++i)
        if (ticked[i]) text += movieTypeChoices()[i] + "|";
    return text;
}

int integerOr(const std::string& text, int fallback) { return integerIn(text).value_or(fallback); }

std::string raisedRefreshPeriod(const std::string& text) { return integerOr(text, 1) < 3 ? "3" : text; }

int refreshIntervalMs(const std::string& period) {
    // A day at most, so the milliseconds always fit.
    return std::clamp(integerOr(period, 1), 1, 86400) * 1000;
}

DefaultFolders prepareDefaultFolders() {
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) data = QDir::homePath();
    const auto prepared = [&](const char* name) {
        const fs::path folder = fs::path(data.toStdString()) / "kadrix" / name;
        std::error_code ec;
        fs::create_directories(folder, ec);
        return fs::is_directory(folder, ec) ? folder.string() : QDir::homePath().toStdString();
    };
    return {prepared("POOL"), prepared("DownImage")};
}

std::string SettingsStore::loadSection() {
    try {
        // Read with the default "3": absent (empty) or "3" means the section was never written.
        const std::string value = access_.read(moduleSection(), "UseFixWidth");
        if (value.empty() || value == "3") return DefaultSection;
        return moduleSection();
    } catch (const std::exception&) {
        return DefaultSection;
    }
}

std::string SettingsStore::load(ModuleSettings& v, const DefaultFolders& defaults, const SettingsLoadEffects& effects) {
    const std::string section = loadSection();
    const auto text = [&](const char* key, const std::string& fallback) {
        const std::string value = access_.read(section, key);
        return value.empty() ? fallback : value;
    };
    const auto integer = [&](const char* key, int fallback) { return integerOr(text(key, std::to_string(fallback)), fallback); };
    const auto flag = [&](const char* key) { return integer(key, 0) != 0; };
    try {
        v.defaultOpenSckMode = integer("DefaultOpenSckMode", 0);
        v.openSckProgame = text("OpenSckProgame", DefaultPaintProgram);
        if (effects.programPath) effects.programPath(v.openSckProgame);
        v.isShape = flag("IsShape");
        v.showScketchMap = flag("ShowScketchMap");
        v.showImageCaption = flag("ShowImageCaption");
        v.showDcm = flag("ShowDcm");
        v.tempPath = text("TempPath", defaults.tempPath);
        v.defaultDownImagePath = text("DefaultDownImagePath", defaults.downImagePath);
        v.tifToJpg = flag("TifToJpg");
        v.autoSave = flag("AutoSave");
        v.defaultSave = flag("DefaultSave");
        v.defaultPrint = flag("DefaultPrint");
        v.autoResfresh = flag("AutoResfresh");
        v.doubleBuff = flag("DoubleBuff");
        v.timerAutoResfresh = std::to_string(integer("TimerAutoResfresh", 1));
        if (effects.refreshTimer) effects.refreshTimer(v.autoResfresh, refreshIntervalMs(v.timerAutoResfresh));
        v.showScale = text("ShowScale", "0.75");
        v.fixWidth = std::to_string(integer("FixWidth", 150));
        v.useFixWidth = flag("UseFixWidth");
        v.useImgCache = flag("UseImgCache");
        const int drive = integer("CDWriter", 0);
        if (drive < effects.driveCount) {
            v.cdWriter = drive;
            if (effects.selectDrive) effects.selectDrive(drive);
        }
        if (effects.driveChanged) effects.driveChanged();
        v.onlyShowPrintImage = flag("OnlyShowPrintImage");
        if (effects.allImagesMenu) effects.allImagesMenu(v.onlyShowPrintImage);
        v.stayOnBottom = flag("StayOnBottom");
        v.movFileType = text("MovFileType", ".Avi");
        if (effects.movieTypes) effects.movieTypes(v.movFileType);
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return {};
}

void SettingsStore::save(const ModuleSettings& v) {
    const std::string section = moduleSection();
    const auto put = [&](const char* key, const std::string& value) { access_.write(section, key, value); };
    const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    put("DefaultDownImagePath", v.defaultDownImagePath);
    put("TempPath", v.tempPath);
    put("AutoSave", flag(v.autoSave));
    // Saving automatically means every new image is marked for saving.
    put("DefaultSave", flag(v.autoSave || v.defaultSave));
    put("DefaultPrint", flag(v.defaultPrint));
    put("ShowDcm", flag(v.showDcm));
    put("AutoResfresh", flag(v.autoResfresh));
    put("DoubleBuff", flag(v.doubleBuff));
    put("TifToJpg", flag(v.tifToJpg));
    put("TimerAutoResfresh", std::to_string(integerOr(v.timerAutoResfresh, 1)));
    put("ShowScale", v.showScale);
    put("FixWidth", std::to_string(integerOr(v.fixWidth, 150)));
    put("UseFixWidth", flag(v.useFixWidth));
    put("UseImgCache", flag(v.useImgCache));
    put("OnlyShowPrintImage", flag(v.onlyShowPrintImage));
    put("StayOnBottom", flag(v.stayOnBottom));
    put("DefaultOpenSckMode", std::to_string(v.defaultOpenSckMode));
    put("OpenSckProgame", v.openSckProgame);
    put("ShowScketchMap", flag(v.showScketchMap));
    put("IsShape", flag(v.isShape));
    put("ShowImageCaption", flag(v.showImageCaption));
    put("CDWriter", std::to_string(v.cdWriter));
    put("MovFileType", movieTypesText(tickedMovieTypes(v.movFileType)));
}

}  // namespace kadrix::clinical
