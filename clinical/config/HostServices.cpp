#include "config/HostServices.h"

#include <QString>

#include <filesystem>
#include <stdexcept>

#include "kadrix/platform/class_registry.h"
#include "kadrix/platform/registry_store.h"

namespace kadrix::clinical {

ObjectRef createService(const char* id) {
    auto created = platform::createObject(id);
    if (!created) throw std::runtime_error(created.message());
    return *created;
}

// ---- data service

void DataService::openSql(const std::string& statement, platform::ClientDataset& rows) const {
    const Variant packet = object_->call("OpenSql", {Variant(statement)});
    rows.close();
    if (packet.isEmpty() || packet.isNull()) return;
    if (platform::Status loaded = rows.load(packet); !loaded) throw std::runtime_error(loaded.message());
}

void DataService::closeSql() const { object_->call("CloseSql"); }
void DataService::execSql(const std::string& statement) const { object_->call("ExecSql", {Variant(statement)}); }
void DataService::beginTran() const { object_->call("BeginTran"); }
void DataService::commitTran() const { object_->call("CommitTran"); }
void DataService::rollBackTran() const { object_->call("RollBackTran"); }

int32_t DataService::getSerialNo(const std::string& counter, int32_t count) const {
    return object_->call("GetSerialNo", {Variant(counter), Variant(count)}).toInt();
}

std::string DataService::getStringFieldValue(const std::string& column, const std::string& statement) const {
    Variant result("");
    object_->call("GetStringFieldValue", {Variant(column), Variant(statement), Variant::ref(result)});
    return result.toText();
}

// ---- common service

void CommonService::prompt(const std::string& text) const { object_->call("Prompt", {Variant(text)}); }
void CommonService::alert(const std::string& text) const { object_->call("Alert", {Variant(text)}); }

bool CommonService::confirm(const std::string& text, int flag) const {
    return object_->call("Confirm", {Variant(text), Variant(flag)}).toInt() == 1;
}

int CommonService::confirmEx(const std::string& text) const {
    return object_->call("ConfirmEx", {Variant(text), Variant(0)}).toInt();
}

std::string CommonService::iniInfo(const std::string& section, const std::string& key) const {
    return object_->get("IniInfo", {Variant(section), Variant(key)}).toText();
}

void CommonService::setIniInfo(const std::string& section, const std::string& key, const std::string& value) const {
    object_->put("IniInfo", {Variant(section), Variant(key), Variant(value)});
}

void CommonService::setUserParam(const std::string& name, const std::string& value) const {
    object_->put("UserParam", {Variant(name), Variant(value)});
}

void CommonService::dockWindow(KxHwnd window, int position) const {
    object_->call("DockWindow",
                  {Variant(static_cast<int32_t>(window)), Variant("Public"), Variant(-1), Variant(position)});
}

bool CommonService::hasRightEx(const std::string& sysCode, const std::string& userId, const std::string& right) const {
    return object_->call("HasRightEx", {Variant(sysCode), Variant("right_ImageList"), Variant(userId), Variant(right)})
               .toInt() > 0;
}

// ---- base information and settings services

std::string BaseInfoService::sysCode() const { return object_->get("SysCode").toText(); }
std::string BaseInfoService::userId() const { return object_->get("UserID").toText(); }

std::string BaseInfoService::curDir() const {
    std::string folder = object_->get("CurDir").toText();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

int BaseInfoService::displayStyle() const { return object_->get("DisplayStyle").toInt(); }

bool SettingsService::readBool(const std::string& section, const std::string& key, int defaultValue) const {
    return object_->call("ReadBool", {Variant(section), Variant(key), Variant(defaultValue)}).toInt() == 1;
}

// ---- archive server

namespace {
constexpr const char* SettingsFileName = "FerroLink.xml";
}  // namespace

std::optional<ArchiveServer> ArchiveServer::create(std::string* why) {
    auto created = platform::createObject(ArchiveClassId);
    if (!created) {
        if (why) *why = created.message();
        return std::nullopt;
    }
    return ArchiveServer(*created);
}

std::string ArchiveServer::settingsFile() {
    const std::string key =
        "HKEY_CLASSES_ROOT\\CLSID\\" + QString(ArchiveClassId).toUpper().toStdString() + "\\InprocServer32";
    const std::optional<std::string> library = platform::RegistryStore::instance().value(key);
    if (!library) return SettingsFileName;
    const std::filesystem::path folder = std::filesystem::path(*library).parent_path();
    return folder.empty() ? std::string(SettingsFileName) : (folder / SettingsFileName).string();
}

int ArchiveServer::storeImage(VariantArray& description) const {
    Variant desc(description);
    Variant status(-1);
    object_->call("StoreImage", {Variant(0), Variant::ref(desc), Variant::ref(status)});
    if (status.toInt() == 0 && desc.isArray()) description = desc.array();
    return status.toInt();
}

int ArchiveServer::deleteImage(int32_t imageId) const {
    Variant status(-1);
    object_->call("DeleteImage", {Variant(3), Variant(imageId), Variant::ref(status)});
    return status.toInt();
}

int ArchiveServer::queryImages(int32_t mode, int32_t key, Variant& description) const {
    Variant status(-1);
    object_->call("QueryImages", {Variant(mode), Variant(key), Variant::ref(description), Variant::ref(status)});
    return status.toInt();
}

// ---- module instances

namespace {
ObjectRef& made(ObjectRef& slot, const char* id) {
    if (!slot) slot = createService(id);
    return slot;
}
}  // namespace

DataService ModuleServices::data() { return DataService(made(data_, DataServiceId)); }
CommonService ModuleServices::common() { return CommonService(made(common_, CommonServiceId)); }
BaseInfoService ModuleServices::baseInfo() { return BaseInfoService(made(baseInfo_, BaseInfoServiceId)); }
SettingsService ModuleServices::settings() { return SettingsService(made(settings_, SettingsServiceId)); }

void ModuleServices::release() {
    data_.reset();
    common_.reset();
    baseInfo_.reset();
    settings_.reset();
}

ModuleServices& moduleServices() {
    static ModuleServices services;
    return services;
}

}  // namespace kadrix::clinical
