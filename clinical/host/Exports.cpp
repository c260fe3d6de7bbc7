// The 21 exports: thin wrappers around the main window and the host's services.
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <filesystem>
#include <stdexcept>

#include "config/HostServices.h"
#include "host/HostStrings.h"
#include "host/ModuleLifecycle.h"
#include "kadrix/clinical.h"
#include "kadrix/platform/date_time.h"
#include "kadrix/platform/picture_api.h"
#include "storage/DicomConversion.h"
#include "storage/PatientData.h"
#include "storage/Statements.h"
#include "storage/WorkingFolders.h"
#include "ui/KadrixUnit.h"

using namespace kadrix;
using namespace kadrix::clinical;
namespace fs = std::filesystem;

namespace {

std::string settingText(KxHostString section, KxHostString key) {
    // A common service of its own for this one call.
    return CommonService::create().iniInfo(fromHost(section), fromHost(key));
}

void storeSetting(KxHostString section, KxHostString key, const std::string& value) {
    CommonService::create().setIniInfo(fromHost(section), fromHost(key), value);
}

// Date-times are stored as the system writes them: its short date, then its long time (left
// out at midnight). The year is widened to four digits so that a stored date reads back as the
// same date, and the time zone is left out.
QString shortDateFormat() {
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!format.contains("yyyy")) format.replace("yy", "yyyy");
    return format;
}
QString longTimeFormat() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove('t');
    return format.trimmed();
}

}  // namespace

extern "C" {

void CreateKadrix(KxHwnd grabber) { createKadrix(grabber); }
void FreeKadrix(void) { freeKadrix(); }

void ShowKadrix(void) {
    if (frmKadrix) frmKadrix->showKadrix();
}

void HideKadrix(void) {
    if (frmKadrix) frmKadrix->hide();
}

KxHwnd GetKadrixHandle(void) { return frmKadrix ? frmKadrix->handle() : 0; }

void SetGrabHandle(KxHwnd grabber) {
    if (frmKadrix) frmKadrix->GrabHandle = grabber;
}

void SetAviFileName(KxWideString fileName) {
    if (frmKadrix) frmKadrix->CaptureFileName = fromWide(fileName);
}

void GetSettingString(KxHostString* result, KxHostString section, KxHostString key, KxHostString defaultValue) {
    const std::string value = settingText(section, key);
    if (value.empty())
        kx_hstr_assign(result, defaultValue);
    else
        assignHost(result, value);
}

bool SetSettingString(KxHostString section, KxHostString key, KxHostString value) {
    storeSetting(section, key, fromHost(value));
    return true;
}

int32_t GetSettingInt(KxHostString section, KxHostString key, int32_t defaultValue) {
    return integerOr(settingText(section, key), defaultValue);
}

bool SetSettingInt(KxHostString section, KxHostString key, int32_t value) {
    storeSetting(section, key, std::to_string(value));
    return true;
}

double GetSettingDateTime(KxHostString section, KxHostString key, double defaultValue) {
    const std::string text = settingText(section, key);
    if (text.empty()) return defaultValue;
    const QString stored = QString::fromStdString(text).trimmed();
    QDateTime when = QLocale::system().toDateTime(stored, shortDateFormat() + " " + longTimeFormat());
    if (!when.isValid()) when = QDateTime(QLocale::system().toDate(stored, shortDateFormat()), QTime(0, 0));
    if (!when.isValid()) throw std::invalid_argument("'" + text + "' is not a valid date and time");
    const QDate d = when.date();
    const QTime t = when.time();
    return platform::encodeDateTime({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()});
}

bool SetSettingDateTime(KxHostString section, KxHostString key, double value) {
    const platform::DateParts p = platform::decodeDateTime(value);
    const QDate date(p.year, p.month, p.day);
    const QTime time(p.hour, p.minute, p.second);
    QString text = QLocale::system().toString(date, shortDateFormat());
    if (time != QTime(0, 0)) text += " " + QLocale::system().toString(time, longTimeFormat());
    storeSetting(section, key, text.toStdString());
    return true;
}

void GetTempPath(KxWideString* result) {
    std::string path;
    if (frmKadrix && frmKadrix->SettingsWindow) {
        path = tempRoot(frmKadrix->settings().tempPath);
        if (frmKadrix->CaptureFolder != ".") path = captureFolder(path, frmKadrix->CaptureFolder);
    }
    assignWideResult(result, path);
}

void GetSelectFullPath(KxWideString* result, KxHostString mode) {
    if (!frmKadrix) {
        assignWideResult(result, "");
        return;
    }
    std::string path = frmKadrix->SelectedImagePath;
    if (fromHost(mode) == "1") {
        const std::string target = selectedDicomBitmapFile(hostCurrentFolder(*frmKadrix->baseInfo));
        std::error_code ec;
        fs::create_directories(fs::path(target).parent_path(), ec);
        std::string extension = fs::path(path).extension().string();
        for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (extension != ".BMP" && extension != ".JPG") {
            if (!fs::exists(target, ec)) convertDicom(path, target, *frmKadrix->common);
            path = target;
        }
    }
    assignWideResult(result, path);
}

KxJpegImage* Bit2JpegH(const KxBitmap* bitmap, int32_t quality) {
    return kx_jpeg_from_bitmap(bitmap, static_cast<uint8_t>(quality));
}

void Bit2JpegF(const KxBitmap* bitmap, int32_t quality, KxWideString file) {
    KxJpegImage* jpeg = kx_jpeg_from_bitmap(bitmap, static_cast<uint8_t>(quality));
    const bool saved = jpeg && kx_jpeg_save(jpeg, fromWide(file).c_str());
    kx_jpeg_free(jpeg);
    if (!saved) throw std::runtime_error(kx_picture_error());
}

void Bmp2Jpeg(KxWideString bitmapFile, KxWideString jpegFile, int32_t quality) {
    if (!kx_picture_file_to_jpeg(fromWide(bitmapFile).c_str(), fromWide(jpegFile).c_str(), static_cast<uint8_t>(quality)))
        throw std::runtime_error(kx_picture_error());
}

int32_t GetTempImageCount(void) { return frmKadrix ? frmKadrix->mainList.unsavedCount() : 0; }

void GetNewImagFileName(KxWideString* result, KxWideString folder, KxWideString extension) {
    const std::string name = newNumberedFileName(fromWide(folder), fromWide(extension));
    if (frmKadrix) frmKadrix->CaptureFileName = name;
    assignWideResult(result, name);
}

bool GetPatInfOfImage(int32_t /*applyNo*/, KxHostString* techNo, KxHostString* hospNo, int32_t* age,
                      KxHostString* ageUnit, KxHostString* birthday, KxHostString* patName, KxHostString* sex,
                      KxHostString* modality) {
    for (KxHostString* text : {techNo, hospNo, ageUnit, birthday, patName, sex, modality}) assignHost(text, "");
    if (age) *age = 0;
    assignHost(ageUnit, "岁");
    assignHost(birthday, platform::formatYmd(platform::currentDateTime()));
    if (!frmKadrix) return false;
    PatientData patient;
    if (!readPatientData(*frmKadrix->data, frmKadrix->ApplyNo, patient)) return false;
    assignHost(techNo, patient.techNo);
    assignHost(hospNo, patient.hospNo);
    assignHost(patName, patient.patName);
    assignHost(ageUnit, patient.ageUnit);
    assignHost(modality, patient.modality);
    if (age) *age = patient.age;
    assignHost(birthday, patient.birthday);
    assignHost(sex, patient.sex);
    frmKadrix->ReportID = patient.reportId;
    return true;
}

}  // extern "C"
