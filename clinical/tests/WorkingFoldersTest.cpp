// Folder and file names the host, the capture folder window and the module must agree on.
#include <gtest/gtest.h>

#include "config/ModuleSettings.h"
#include "storage/WorkingFolders.h"

using namespace kadrix::clinical;

TEST(FolderNames, SafeNamesAndCaptureFolders) {
    struct Case {
        const char* name;
        bool replaceTilde;
        const char* safe;
    } cases[] = {
        {"A/B:C", false, "A_B_C"},    {"a\\b*c?d\"e<f>g|h", false, "a_b_c_d_e_f_g_h"},
        {"a~b", false, "a~b"},        {"a~b", true, "a_b"},
        {" 张 三 ", true, " 张 三 "},  // the untrimmed text is kept
        {"   ", false, ""},           {"", true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CleanFolderName(c.name, c.replaceTilde), c.safe) << c.name;
    EXPECT_EQ(captureFolderName("A/B:C", 77), "A_B_C~77");
    EXPECT_EQ(captureFolderName("a~b", 7), "a~b~7");
    EXPECT_EQ(cacheFolderName("a~b", 7), "a_b~7");
}

TEST(FolderNames, DisplayNamesLabelsAndQueuePickerTexts) {
    struct Case {
        const char* folder;
        const char* display;
        const char* picker;
    } cases[] = {
        {"A_B_C~77", "A_B_C", "77"},    {"~77", "~77", "~77"},  // a leading "~" names no patient
        {"Room 3", "Room 3", "Room 3"}, {"a.b", "当前报告", "a.b"}, {"", "当前报告", "1201"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(captureFolderDisplayName(c.folder), c.display) << c.folder;
        EXPECT_EQ(captureTargetLabel(c.folder), std::string("采集到:") + c.display) << c.folder;
        EXPECT_EQ(queuePickerText(c.folder, 1201), c.picker) << c.folder;
    }
}

TEST(FolderNames, BaseFolders) {
    EXPECT_EQ(tempRoot("  /data/Pool/ "), "/data/Pool");
    EXPECT_EQ(tempRoot("D:\\Pool\\"), "D:\\Pool");
    EXPECT_EQ(captureFolder("/data/Pool", ""), "/data/Pool");
    EXPECT_EQ(captureFolder("/data/Pool", "A_B_C~77"), "/data/Pool/A_B_C~77");
    ModuleSettings settings;
    settings.defaultDownImagePath = "/data/Down";
    EXPECT_EQ(downloadFolder(settings), "/data/Down");
    EXPECT_EQ(hostProgramFolder().back(), '/');
}

TEST(FileNames, FixedFilesAndScratchBitmaps) {
    struct Case {
        std::string made;
        const char* expected;
    } cases[] = {
        {videoPlaceholderFile("/exe/"), "/exe/move.bmp"},
        {filmIconFile("/exe/"), "/exe/FilmIcon.bmp"},
        {sketchTemplateFile("/exe/", " WJ01 "), "/exe/WJ01.bmp"},
        {videoThumbnailFolder("/exe/"), "/exe/TempPictrue"},
        {videoThumbnailFile("/exe/", "/pool/3.avi"), "/exe/TempPictrue/3.avi.jpg"},
        {selectedDicomBitmapFile("/cur/"), "/cur/Temp/Temp1.bmp"},
        {sketchScratchBitmapFile("/cur/"), "/cur/Temp/SmapName1.bmp"},
        {thumbnailScratchBitmapFile("/cur/"), "/cur/Temp/TempImageList1.bmp"},
        {captureScratchBitmapFile("/cur/"), "/cur/Temp/CaptureIamge1.bmp"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.made, c.expected);
}

TEST(FileNames, DisplayBitmapsOfDicomFiles) {
    // The conversion changes the extension whatever its case...
    EXPECT_EQ(dicomDisplayBitmapFile("/pool/x.dcm"), "/pool/DisplayTempImage/x.bmp");
    EXPECT_EQ(dicomDisplayBitmapFile("/pool/x.DCM"), "/pool/DisplayTempImage/x.bmp");
    // ...while a store or a delete finds the bitmap only through a lower-case ".dcm".
    struct Case {
        const char* image;
        std::optional<std::string> removed;
    } cases[] = {
        {"/pool/x.dcm", "/pool/DisplayTempImage/x.bmp"},
        {"/pool/x.DCM", std::nullopt},
        {"/pool/x.jpg", std::nullopt},
        {"/pool.dcm/x.jpg", std::nullopt},  // only the file name counts
    };
    for (const Case& c : cases) EXPECT_EQ(storedDisplayBitmapFile(c.image), c.removed) << c.image;
}
