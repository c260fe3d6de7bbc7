#include "kadrix/workstation/host_objects.h"

#include <stdexcept>

#include "kadrix/platform/modal_seam.h"

namespace kadrix::workstation {
namespace {

using platform::DispatchObject;
using platform::ModalQuestion;
using platform::Variant;

// Service failures become failures of the call: the caller sees them as the service's errors.
template <typename T>
T orThrow(platform::Result<T> result) {
    if (!result) throw std::runtime_error(result.message());
    return std::move(result).value();
}
void orThrow(const platform::Status& status) {
    if (!status) throw std::runtime_error(status.message());
}

class DataService : public DispatchObject {
public:
    explicit DataService(std::shared_ptr<ClinicDatabase> db) : DispatchObject("Zudi.DataCtrl"), db_(std::move(db)) {
        method("OpenSql", 1, [this](Arguments& a) { return open(a.text(0)); });
        method("CloseSql", 0, [](Arguments&) { return Variant(); });
        method("ExecSql", 1, [this](Arguments& a) {
            orThrow(db_->execSql(a.text(0)));
            return Variant();
        });
        method("BeginTran", 0, [this](Arguments&) {
            orThrow(db_->beginTransaction());
            return Variant();
        });
        method("CommitTran", 0, [this](Arguments&) {
            orThrow(db_->commitTransaction());
            return Variant();
        });
        method("RollBackTran", 0, [this](Arguments&) {
            orThrow(db_->rollbackTransaction());
            return Variant();
        });
        method("GetSerialNo", 2, [this](Arguments& a) {
            return Variant(orThrow(db_->nextSerial(a.text(0), a.integer(1))));
        });
        method("GetStringFieldValue", 3, [this](Arguments& a) {
            const DataPacket rows = orThrow(db_->openSql(a.text(1)));
            std::string value;
            for (size_t c = 0; c < rows.columns.size(); ++c)
                if (platform::sameName(rows.columns[c].name, a.text(0)) && !rows.rows.empty())
                    value = rows.rows.front()[c].toText();
            a.setOut(2, Variant(value));
            return Variant(value);
        });
    }

private:
    // A batch that fetched no row set answers with an empty value.
    Variant open(const std::string& sql) {
        const DataPacket rows = orThrow(db_->openSql(sql));
        if (rows.columns.empty()) return Variant();
        return orThrow(rows.toVariant());
    }
    std::shared_ptr<ClinicDatabase> db_;
};

class CommonService : public DispatchObject {
public:
    CommonService(std::shared_ptr<ClinicDatabase> db, std::shared_ptr<HostFrame> frame)
        : DispatchObject("Zudi.Common"), db_(std::move(db)), frame_(std::move(frame)) {
        method("Prompt", 1, [](Arguments& a) { return ask(ModalQuestion::Kind::Information, a.text(0)); });
        method("Alert", 1, [](Arguments& a) { return ask(ModalQuestion::Kind::Warning, a.text(0)); });
        method(
            "Confirm", 1,
            [](Arguments& a) { return Variant(ask(ModalQuestion::Kind::Confirm, a.text(0)).toInt() == 1 ? 1 : 0); },
            2);
        method(
            "ConfirmEx", 1,
            [](Arguments& a) {
                const int code = ask(ModalQuestion::Kind::ConfirmEx, a.text(0)).toInt();
                return Variant(code == 6 || code == 7 ? code : 2);
            },
            2);
        property(
            "IniInfo", 2, [this](Arguments& a) { return Variant(orThrow(db_->setting(a.text(0), a.text(1)))); },
            [this](Arguments& a, const Variant& v) { orThrow(db_->setSetting(a.text(0), a.text(1), v.toText())); });
        property(
            "UserParam", 1, [this](Arguments& a) { return Variant(params_[a.text(0)]); },
            [this](Arguments& a, const Variant& v) {
                params_[a.text(0)] = v.toText();
                if (frame_) frame_->setUserParam(a.text(0), v.toText());
            });
        method("DockWindow", 4, [this](Arguments& a) {
            const auto window = static_cast<KxHwnd>(static_cast<uint32_t>(a.integer(0)));
            if (frame_) frame_->dockWindow(window, a.text(1), a.integer(2), a.integer(3));
            return Variant();
        });
        method("HasRightEx", 4, [this](Arguments& a) {
            return Variant(orThrow(db_->right(a.text(0), a.text(1), a.text(2), a.text(3))));
        });
    }

private:
    static Variant ask(ModalQuestion::Kind kind, std::string text) {
        ModalQuestion q;
        q.kind = kind;
        q.text = std::move(text);
        return Variant(platform::askModal(q).code);
    }
    std::shared_ptr<ClinicDatabase> db_;
    std::shared_ptr<HostFrame> frame_;
    std::map<std::string, std::string> params_;
};

class BaseInfoService : public DispatchObject {
public:
    explicit BaseInfoService(WorkstationConfig c) : DispatchObject("Zudi.BaseInfo"), config_(std::move(c)) {
        property("SysCode", 0, [this](Arguments&) { return Variant(config_.sysCode); });
        property("UserID", 0, [this](Arguments&) { return Variant(config_.userId); });
        property("CurDir", 0, [this](Arguments&) { return Variant(config_.curDir); });
        property("DisplayStyle", 0, [this](Arguments&) { return Variant(config_.displayStyle); });
    }

private:
    WorkstationConfig config_;
};

class SettingsService : public DispatchObject {
public:
    explicit SettingsService(WorkstationConfig c) : DispatchObject("Zudi.Settings"), config_(std::move(c)) {
        method("ReadBool", 3, [this](Arguments& a) {
            return Variant(config_.readBool(a.text(0), a.text(1), a[2].toInt() == 1) ? 1 : 0);
        });
    }

private:
    WorkstationConfig config_;
};

}  // namespace

platform::ObjectRef makeDataService(std::shared_ptr<ClinicDatabase> database) {
    return std::make_shared<DataService>(std::move(database));
}
platform::ObjectRef makeCommonService(std::shared_ptr<ClinicDatabase> database, std::shared_ptr<HostFrame> frame) {
    return std::make_shared<CommonService>(std::move(database), std::move(frame));
}
platform::ObjectRef makeBaseInfoService(WorkstationConfig config) {
    return std::make_shared<BaseInfoService>(std::move(config));
}
platform::ObjectRef makeSettingsService(WorkstationConfig config) {
    return std::make_shared<SettingsService>(std::move(config));
}

}  // namespace kadrix::workstation
