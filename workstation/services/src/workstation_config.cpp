#include "kadrix/workstation/workstation_config.h"

#include <unistd.h>

#include <QFile>
#include <QSettings>
#include <QStringList>

namespace kadrix::workstation {
namespace fs = std::filesystem;
using platform::Result;
using platform::Status;

bool WorkstationConfig::readBool(const std::string& section, const std::string& key, bool fallback) const {
    auto it = switches.find(section + "/" + key);
    return it == switches.end() ? fallback : it->second;
}

namespace {
fs::path resolved(const fs::path& base, const QString& value, const char* fallback) {
    const fs::path p = value.isEmpty() ? fs::path(fallback) : fs::path(value.toStdString());
    return p.is_absolute() ? p : base / p;
}
std::string withSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}
}  // namespace

Result<WorkstationConfig> loadWorkstationConfig(const fs::path& file) {
    if (!fs::exists(file)) return Status::failure("no workstation configuration at " + file.string());
    QSettings ini(QString::fromStdString(file.string()), QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) return Status::failure("cannot read " + file.string());
    const fs::path base = fs::absolute(file).parent_path();
    WorkstationConfig c;
    c.sysCode = ini.value("Host/SysCode", "RIS").toString().toStdString();
    c.userId = ini.value("Host/UserID", "1001").toString().toStdString();
    c.curDir = withSeparator(ini.value("Host/CurDir", QString::fromStdString(base.string())).toString().toStdString());
    c.displayStyle = ini.value("Host/DisplayStyle", 0).toInt();
    c.databaseFile = resolved(base, ini.value("Storage/Database").toString(), "clinic.db");
    c.archiveFolder = resolved(base, ini.value("Storage/Archive").toString(), "archive");
    c.cacheFolder = resolved(base, ini.value("Storage/Cache").toString(), "cache");
    ini.beginGroup("Switches");
    for (const QString& key : ini.allKeys())
        c.switches[key.toStdString()] = ini.value(key).toString().trimmed() == "1";
    ini.endGroup();
    return c;
}

Status saveWorkstationConfig(const WorkstationConfig& c, const fs::path& file) {
    const QString temp = QString::fromStdString(file.string() + ".tmp-" + std::to_string(::getpid()));
    {
        QFile::remove(temp);
        QSettings ini(temp, QSettings::IniFormat);
        ini.setValue("Host/SysCode", QString::fromStdString(c.sysCode));
        ini.setValue("Host/UserID", QString::fromStdString(c.userId));
        ini.setValue("Host/CurDir", QString::fromStdString(c.curDir));
        ini.setValue("Host/DisplayStyle", c.displayStyle);
        ini.setValue("Storage/Database", QString::fromStdString(c.databaseFile.string()));
        ini.setValue("Storage/Archive", QString::fromStdString(c.archiveFolder.string()));
        ini.setValue("Storage/Cache", QString::fromStdString(c.cacheFolder.string()));
        for (const auto& [key, on] : c.switches) ini.setValue("Switches/" + QString::fromStdString(key), on ? "1" : "0");
        ini.sync();
        if (ini.status() != QSettings::NoError) {
            QFile::remove(temp);
            return Status::failure("cannot write " + file.string());
        }
    }
    std::error_code ec;
    fs::rename(temp.toStdString(), file, ec);
    if (ec) {
        fs::remove(temp.toStdString(), ec);
        return Status::failure("cannot write " + file.string());
    }
    return {};
}

}  // namespace kadrix::workstation
