#include "storage/FaultDate.h"

#include <QDomDocument>
#include <QFile>

#include "config/HostServices.h"

namespace kadrix::clinical {

namespace {

QDomElement firstChild(const QDomElement& parent, const QString& tag, const QString& attribute,
                       const QString& value) {
    for (QDomElement e = parent.firstChildElement(tag); !e.isNull(); e = e.nextSiblingElement(tag))
        if (e.attribute(attribute) == value)
            return e;
    return {};
}

}  // namespace

std::string readFaultDate(const std::string& settingsFile) {
    QFile file(QString::fromStdString(settingsFile));
    if (!file.open(QIODevice::ReadOnly))
        return DefaultFaultDate;
    QDomDocument document;
    if (!document.setContent(&file))
        return DefaultFaultDate;
    const QDomElement common =
        firstChild(document.documentElement(), "settings", "Section", "Common");
    const QDomElement item = firstChild(common, "item", "name", "FaultDate");
    const QString text = item.text().trimmed();
    return text.isEmpty() ? std::string(DefaultFaultDate) : text.toStdString();
}

const std::string& faultDate() {
    static const std::string date = readFaultDate(ArchiveServer::settingsFile());
    return date;
}

}  // namespace kadrix::clinical
