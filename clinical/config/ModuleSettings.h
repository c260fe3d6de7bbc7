// The module's settings as the settings dialog holds them, and how they are loaded from and
// saved to the host's settings store.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kadrix::clinical {

// Edit boxes keep their text: a period or width is only read as a number when it is used.
struct ModuleSettings {
    int defaultOpenSckMode = 0;
    std::string openSckProgame;
    bool isShape = false;
    bool showScketchMap = false;
    bool showImageCaption = false;
    bool showDcm = false;
    std::string tempPath;
    std::string defaultDownImagePath;
    bool tifToJpg = false;
    bool autoSave = false;
    bool defaultSave = false;
    bool defaultPrint = false;
    bool autoResfresh = false;
    bool doubleBuff = false;
    std::string timerAutoResfresh = "1";
    std::string showScale = "0.75";
    std::string fixWidth = "150";
    bool useFixWidth = false;
    bool useImgCache = false;
    int cdWriter = 0;
    bool onlyShowPrintImage = false;
    bool stayOnBottom = false;
    std::string movFileType = ".Avi";
};

// The movie types the dialog offers, in its order.
const std::vector<std::string>& movieTypeChoices();
// A file is a movie when its upper-cased extension occurs anywhere in the upper-cased setting.
bool isMovieFile(const std::string& path, const std::string& movFileType);
// Which choices the setting ticks, and the setting the ticked choices make (each followed by "|").
std::vector<bool> tickedMovieTypes(const std::string& movFileType);
std::string movieTypesText(const std::vector<bool>& ticked);

// An edit's text as an integer; `fallback` when it is not one.
int integerOr(const std::string& text, int fallback);
// The refresh period as the dialog keeps it: below 3 seconds (or not a number) becomes "3".
std::string raisedRefreshPeriod(const std::string& text);
// The refresh timer's interval for a period entry (1 second when not a number).
int refreshIntervalMs(const std::string& period);

// The host's settings store as the module reaches it (the common service's IniInfo).
class SettingsAccess {
public:
    virtual ~SettingsAccess() = default;
    virtual std::string read(const std::string& section, const std::string& key) = 0;
    virtual void write(const std::string& section, const std::string& key, const std::string& value) = 0;
};

// What a load changes besides the values, in the order it happens.
struct SettingsLoadEffects {
    std::function<void(const std::string& program)> programPath;
    std::function<void(bool enabled, int intervalMs)> refreshTimer;
    // The drive list's selection moves only for an index below the number of drives.
    int driveCount = 0;
    std::function<void(int index)> selectDrive;
    std::function<void()> driveChanged;
    std::function<void(bool visible)> allImagesMenu;
    std::function<void(const std::string& movFileType)> movieTypes;
};

struct DefaultFolders {
    std::string tempPath;
    std::string downImagePath;
};
// The default temp and download folders: "POOL" and "DownImage" in the user's data folder,
// each created when missing; the home folder when that fails.
DefaultFolders prepareDefaultFolders();

class SettingsStore {
public:
    SettingsStore(SettingsAccess& access, std::string sysCode) : access_(access), sysCode_(std::move(sysCode)) {}

    // "Images\<system code>": where settings are written.
    std::string moduleSection() const { return "Images\\" + sysCode_; }
    // The section a load reads: the module section once it holds UseFixWidth, else the shared default.
    std::string loadSection();

    // Loads into `values` key by key. A failure stops the load: it returns the failure's text, the
    // keys after it keep their values and the later effects don't happen.
    std::string load(ModuleSettings& values, const DefaultFolders& defaults, const SettingsLoadEffects& effects);
    // Saves in the store's order; a failure propagates and the keys after it are not written.
    void save(const ModuleSettings& values);

private:
    SettingsAccess& access_;
    std::string sysCode_;
};

}  // namespace kadrix::clinical
