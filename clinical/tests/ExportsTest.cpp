#include <fstream>

#include "ClinicalFixture.h"
#include "host/HostMessages.h"
#include "kadrix/platform/date_time.h"
#include "kadrix/platform/file_services.h"
#include "kadrix/platform/picture_api.h"
#include "workstation_demo.h"

using namespace kadrix;
using namespace kadrix::testing;
using clinical::frmKadrix;

using Exports = ClinicalTest;

namespace {
std::string newFileName(const fs::path& folder, const std::string& extension) {
    KxWideString result = nullptr;
    GetNewImagFileName(&result, wide(folder.string()).handle(), wide(extension).handle());
    const std::string name = *platform::wideToUtf8(result);
    kx_wstr_free(result);
    return name;
}
}  // namespace

TEST_F(Exports, SettingAccessorsReadAndWriteTheHostStore) {
    const auto section = host("Images\\RIS");
    KxHostString text = nullptr;
    GetSettingString(&text, section.handle(), host("Missing").handle(), host("默认").handle());
    EXPECT_EQ(*platform::HostString::borrow(text).toUtf8(), "默认");
    EXPECT_TRUE(SetSettingString(section.handle(), host("Name").handle(), host("影像").handle()));
    GetSettingString(&text, section.handle(), host("Name").handle(), host("x").handle());
    EXPECT_EQ(*platform::HostString::borrow(text).toUtf8(), "影像");
    kx_hstr_release(text);

    struct Case {
        const char* stored;
        int32_t expected;
    } cases[] = {{"", 7}, {"42", 42}, {"abc", 7}, {" -3 ", -3}, {"2.5", 7}};
    for (const Case& c : cases) {
        storeSetting("Images\\RIS", "Number", c.stored);
        EXPECT_EQ(GetSettingInt(section.handle(), host("Number").handle(), 7), c.expected) << c.stored;
    }
    EXPECT_TRUE(SetSettingInt(section.handle(), host("Number").handle(), -12));
    EXPECT_EQ(storedSetting("Images\\RIS", "Number"), "-12");
}

TEST_F(Exports, DateTimeSettingsRoundTripAndABadTextRaises) {
    const auto section = host("Images\\RIS");
    const auto key = host("LastBurn");
    EXPECT_DOUBLE_EQ(GetSettingDateTime(section.handle(), key.handle(), 1.5), 1.5);
    for (const platform::DateParts& parts :
         {platform::DateParts{2026, 12, 11, 9, 30, 17}, platform::DateParts{1999, 2, 3, 0, 0, 0}}) {
        const double when = platform::encodeDateTime(parts);
        EXPECT_TRUE(SetSettingDateTime(section.handle(), key.handle(), when));
        EXPECT_NEAR(GetSettingDateTime(section.handle(), key.handle(), 0), when, 0.5 / 86400)
            << storedSetting("Images\\RIS", "LastBurn");
    }
    EXPECT_EQ(storedSetting("Images\\RIS", "LastBurn").find(':'), std::string::npos) << "midnight has no time";
    storeSetting("Images\\RIS", "LastBurn", "not a date");
    EXPECT_THROW(GetSettingDateTime(section.handle(), key.handle(), 0), std::exception);
}

TEST_F(Exports, NewFileNamesAreNumberedFromOne) {
    const fs::path folder = root_ / "pool" / "deep";
    EXPECT_EQ(newFileName(folder, ".jpg"), (folder / "1.jpg").string());
    EXPECT_TRUE(fs::is_directory(folder)) << "the folder is made with its parents";
    std::ofstream(folder / "1.jpg") << "x";
    std::ofstream(folder / "2.jpg") << "x";
    EXPECT_EQ(newFileName(folder, ".jpg"), (folder / "3.jpg").string());
    EXPECT_EQ(newFileName(folder, ".avi"), (folder / "1.avi").string());

    CreateKadrix(0);
    EXPECT_EQ(newFileName(folder, ".jpg"), (folder / "3.jpg").string());
    EXPECT_EQ(frmKadrix->CaptureFileName, (folder / "3.jpg").string()) << "the next capture";

    std::ofstream(root_ / "a-file") << "x";
    EXPECT_THROW(newFileName(root_ / "a-file" / "sub", ".jpg"), std::runtime_error);
}

TEST_F(Exports, TempPathIsTheTempRootWithTheCaptureFolder) {
    EXPECT_EQ(tempPath(), "") << "no window, no path";
    storeSetting("Images\\RIS", "UseFixWidth", "0");
    storeSetting("Images\\RIS", "TempPath", "  /data/Images/ ");
    CreateKadrix(0);
    EXPECT_EQ(tempPath(), "/data/Images");
    frmKadrix->CaptureFolder = "Name~123";
    EXPECT_EQ(tempPath(), "/data/Images/Name~123");
    frmKadrix->CaptureFolder = ".";
    EXPECT_EQ(tempPath(), "/data/Images");
}

TEST_F(Exports, PatientDataBeforeAndAfterAnExaminationIsOpened) {
    KxHostString techNo = nullptr, hospNo = nullptr, ageUnit = nullptr, birthday = nullptr, name = nullptr,
                 sex = nullptr, modality = nullptr;
    int32_t age = 99;
    const auto read = [&] {
        return GetPatInfOfImage(0, &techNo, &hospNo, &age, &ageUnit, &birthday, &name, &sex, &modality);
    };
    const auto text = [](KxHostString h) { return *platform::HostString::borrow(h).toUtf8(); };
    EXPECT_FALSE(read());
    EXPECT_EQ(text(ageUnit), "岁");
    EXPECT_EQ(text(birthday), platform::formatYmd(platform::currentDateTime()));
    EXPECT_EQ(age, 0);

    const int32_t applyNo = registerDemoPatient(*site->database());
    CreateKadrix(0);
    EXPECT_FALSE(read()) << "no examination is open";
    platform::sendMessage(GetKadrixHandle(), clinical::message::OpenExamination, static_cast<KxWParam>(applyNo));
    ASSERT_TRUE(read());
    EXPECT_EQ(text(name), "张三");
    EXPECT_EQ(text(techNo), "CT0001");
    EXPECT_EQ(text(hospNo), "H-17");
    EXPECT_EQ(text(sex), "F");
    EXPECT_EQ(text(modality), "CT");
    EXPECT_EQ(text(ageUnit), "月");
    EXPECT_EQ(age, 5);
    EXPECT_EQ(text(birthday), "20260711");
    EXPECT_EQ(frmKadrix->ReportID, 3);
    for (KxHostString h : {techNo, hospNo, ageUnit, birthday, name, sex, modality}) kx_hstr_release(h);
}

TEST_F(Exports, PicturesBecomeJpegsAtTheirQuality) {
    KxBitmap* bitmap = kx_bitmap_create(32, 16);
    KxJpegImage* jpeg = Bit2JpegH(bitmap, 75);
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(kx_jpeg_quality(jpeg), 75);
    kx_jpeg_free(jpeg);
    jpeg = Bit2JpegH(bitmap, 0x100 + 300);  // the low byte counts, then 1..100
    EXPECT_EQ(kx_jpeg_quality(jpeg), 44);
    kx_jpeg_free(jpeg);

    const fs::path file = root_ / "out.jpg";
    Bit2JpegF(bitmap, 50, wide(file.string()).handle());
    EXPECT_GT(fs::file_size(file), 100u);
    ASSERT_EQ(kx_bitmap_save_bmp(bitmap, (root_ / "in.bmp").c_str()), 1);
    Bmp2Jpeg(wide((root_ / "in.bmp").string()).handle(), wide((root_ / "from-bmp.jpg").string()).handle(), 50);
    EXPECT_TRUE(fs::exists(root_ / "from-bmp.jpg"));
    EXPECT_THROW(Bmp2Jpeg(wide((root_ / "none.bmp").string()).handle(), wide((root_ / "x.jpg").string()).handle(), 50),
                 std::exception);
    EXPECT_FALSE(fs::exists(root_ / "x.jpg"));
    kx_bitmap_free(bitmap);
}

TEST_F(Exports, SelectedDicomImagesAreConvertedOnce) {
    CreateKadrix(0);
    const fs::path dicom = writeDemoDicom(root_ / "pool" / "x.dcm");
    const fs::path jpeg = root_ / "pool" / "a.jpg";
    std::ofstream(jpeg) << "x";
    const auto select = [&](const fs::path& path) {
        frmKadrix->mainList.OnSelect(path.string());
        KxWideString result = nullptr;
        GetSelectFullPath(&result, host("1").handle());
        const std::string chosen = *platform::wideToUtf8(result);
        kx_wstr_free(result);
        return chosen;
    };
    EXPECT_EQ(select(jpeg), jpeg.string());
    const fs::path target = fs::path(site->config().curDir) / "Temp" / "Temp1.bmp";
    EXPECT_EQ(select(dicom), target.string());
    ASSERT_TRUE(fs::exists(target));
    const auto written = fs::last_write_time(target);
    std::ofstream(dicom, std::ios::trunc) << "no longer a DICOM file";
    EXPECT_EQ(select(dicom), target.string()) << "an existing bitmap is handed out as it is";
    EXPECT_EQ(fs::last_write_time(target), written);
    EXPECT_TRUE(prompts->texts().empty());
}

TEST_F(Exports, ExportsThatNeedTheWindowDoNothingWithoutIt) {
    SetAviFileName(wide("/x.avi").handle());
    SetGrabHandle(5);
    EXPECT_EQ(GetTempImageCount(), 0);
    KxWideString result = nullptr;
    GetSelectFullPath(&result, host("1").handle());
    EXPECT_EQ(result, nullptr);
    CreateKadrix(0);
    SetAviFileName(wide("/pool/1.avi").handle());
    EXPECT_EQ(frmKadrix->CaptureFileName, "/pool/1.avi");
}
