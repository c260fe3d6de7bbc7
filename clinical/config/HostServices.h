// The one layer that knows the operation names of the host's services and the picture-archive
// server. Everything else in the module calls these typed functions.
//
// Instances: the main window keeps one set (data, common, base information) for its life;
// `moduleServices()` holds one of each service for the life of the library; the settings
// exports make a common service for their one call.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "kadrix/platform/automation.h"
#include "kadrix/platform/client_dataset.h"
#include "kadrix/platform/messages.h"

namespace kadrix::clinical {

using platform::ObjectRef;
using platform::Variant;
using platform::VariantArray;

inline constexpr const char* DataServiceId = "Zudi.DataCtrl";
inline constexpr const char* CommonServiceId = "Zudi.Common";
inline constexpr const char* BaseInfoServiceId = "Zudi.BaseInfo";
inline constexpr const char* SettingsServiceId = "Zudi.Settings";
// The picture-archive server's class and interface identifiers.
inline constexpr const char* ArchiveClassId = "{6F1D2C3B-8A4E-4B5F-9C7D-0E1F2A3B4C5D}";
inline constexpr const char* ArchiveInterfaceId = "{6F1D2C3B-8A4E-4B5F-9C7D-0E1F2A3B4C5E}";

// Creates a service object; a service that cannot be created raises std::runtime_error naming it.
ObjectRef createService(const char* id);

class DataService {
public:
    explicit DataService(ObjectRef object) : object_(std::move(object)) {}
    static DataService create() { return DataService(createService(DataServiceId)); }

    // Runs a query and loads its rows; an empty result leaves the dataset closed.
    void openSql(const std::string& statement, platform::ClientDataset& rows) const;
    void closeSql() const;
    void execSql(const std::string& statement) const;
    void beginTran() const;
    void commitTran() const;
    void rollBackTran() const;
    int32_t getSerialNo(const std::string& counter, int32_t count) const;
    std::string getStringFieldValue(const std::string& column, const std::string& statement) const;
    const ObjectRef& object() const { return object_; }

private:
    ObjectRef object_;
};

class CommonService {
public:
    explicit CommonService(ObjectRef object) : object_(std::move(object)) {}
    static CommonService create() { return CommonService(createService(CommonServiceId)); }

    void prompt(const std::string& text) const;
    void alert(const std::string& text) const;
    bool confirm(const std::string& text, int flag = 0) const;
    // 6 yes, 7 no, anything else cancel.
    int confirmEx(const std::string& text) const;
    std::string iniInfo(const std::string& section, const std::string& key) const;
    void setIniInfo(const std::string& section, const std::string& key, const std::string& value) const;
    void setUserParam(const std::string& name, const std::string& value) const;
    void dockWindow(KxHwnd window, int position) const;
    bool hasRightEx(const std::string& sysCode, const std::string& userId, const std::string& right) const;
    const ObjectRef& object() const { return object_; }

private:
    ObjectRef object_;
};

class BaseInfoService {
public:
    explicit BaseInfoService(ObjectRef object) : object_(std::move(object)) {}
    static BaseInfoService create() { return BaseInfoService(createService(BaseInfoServiceId)); }

    std::string sysCode() const;
    std::string userId() const;
    // The host's current folder, ending with "/".
    std::string curDir() const;
    int displayStyle() const;
    const ObjectRef& object() const { return object_; }

private:
    ObjectRef object_;
};

class SettingsService {
public:
    explicit SettingsService(ObjectRef object) : object_(std::move(object)) {}
    static SettingsService create() { return SettingsService(createService(SettingsServiceId)); }
    // On when the host answers 1.
    bool readBool(const std::string& section, const std::string& key, int defaultValue) const;

private:
    ObjectRef object_;
};

// The picture-archive server. Every method answers with the server's status; 0 is success.
class ArchiveServer {
public:
    explicit ArchiveServer(ObjectRef object) : object_(std::move(object)) {}
    // Null when the server is not installed.
    static std::optional<ArchiveServer> create(std::string* why = nullptr);
    // The server's settings file "FerroLink.xml": in the folder of the library its class is
    // registered with, or the bare name (the current folder) when the class is not registered.
    static std::string settingsFile();

    // StoreImage(0, description, status): on success the description carries the new id.
    int storeImage(VariantArray& description) const;
    int deleteImage(int32_t imageId) const;
    // QueryImages(mode, key, description, status): the description comes back replaced.
    int queryImages(int32_t mode, int32_t key, Variant& description) const;
    const ObjectRef& object() const { return object_; }

private:
    ObjectRef object_;
};

// One instance of each service for the life of the library, made on first use.
struct ModuleServices {
    DataService data();
    CommonService common();
    BaseInfoService baseInfo();
    SettingsService settings();
    void release();

private:
    ObjectRef data_, common_, baseInfo_, settings_;
};
ModuleServices& moduleServices();

}  // namespace kadrix::clinical
