// Small fixtures for the module's tests: a registered patient and a DICOM file.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "kadrix/platform/date_time.h"
#include "kadrix/platform/picture_api.h"
#include "kadrix/workstation/clinic_database.h"

namespace kadrix::testing {

// 张三, five months old, registered today on instrument 3; returns the application number.
inline int32_t registerDemoPatient(workstation::ClinicDatabase& db, int32_t applyNo = 1201) {
    db.addInstrument({3, "WJ01", "胃镜"});
    workstation::PatientRegistration p;
    p.applyNo = applyNo;
    p.reportId = 3;
    p.techNo = "CT0001";
    p.hospNo = "H-17";
    p.patName = "张三";
    p.patNameSpell = "zhangsan";
    p.modality = "CT";
    p.age = 5;
    p.ageUnit = "月";
    p.sex = 2;
    p.birthday = platform::encodeDateTime({2026, 7, 11});
    p.registered = platform::currentDateTime();
    p.sysCode = "RIS";
    p.userId = "1001";
    db.registerPatient(p);
    return applyNo;
}

// A small uncompressed DICOM picture made with DCMTK's img2dcm from a bitmap.
inline std::filesystem::path writeDemoDicom(const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    KxBitmap* bitmap = kx_bitmap_create(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16 * 3; ++x) kx_bitmap_row(bitmap, y)[x] = static_cast<unsigned char>(x * 5 + y * 20);
    const std::string bmp = file.string() + ".bmp";
    kx_bitmap_save_bmp(bitmap, bmp.c_str());
    kx_bitmap_free(bitmap);
    const std::string command = "img2dcm -q -i BMP '" + bmp + "' '" + file.string() + "'";
    if (std::system(command.c_str()) != 0) return {};
    std::filesystem::remove(bmp);
    return file;
}

}  // namespace kadrix::testing
