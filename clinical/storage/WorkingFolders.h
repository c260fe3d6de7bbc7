// Where images live on the workstation before the archive takes them, and how folders and
// files are named so that the host, the capture folder window and the module agree. Folders
// passed in as "exe" and "cur" end with "/".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kadrix::clinical {

class BaseInfoService;
struct ModuleSettings;

inline constexpr const char* CurrentReportName = "当前报告";

// ---- base folders

// The temp root: the temp path setting trimmed of blanks, one trailing separator removed.
std::string tempRoot(const std::string& tempPathSetting);
// Where captures go: the capture folder below the temp root, or the temp root itself for the
// current examination (an empty folder name).
std::string captureFolder(const std::string& tempRoot, const std::string& captureFolderName);
// The host program's folder, ending with "/".
std::string hostProgramFolder();
// The host's current folder (the base-information service's CurDir), ending with "/".
std::string hostCurrentFolder(const BaseInfoService& baseInfo);
// The folder offered for exports.
std::string downloadFolder(const ModuleSettings& settings);

// ---- fixed files and scratch folders

// The film picture that stands for a video, later its last frame taken.
std::string videoPlaceholderFile(const std::string& exe);
std::string filmIconFile(const std::string& exe);
// The sketch template of an instrument (its InstCode, trimmed).
std::string sketchTemplateFile(const std::string& exe, const std::string& instrumentCode);
// Video thumbnails; emptied when the main window goes.
std::string videoThumbnailFolder(const std::string& exe);
// <exe>TempPictrue/<video file name with extension>.jpg
std::string videoThumbnailFile(const std::string& exe, const std::string& video);
// Scratch bitmaps in the host's current folder.
std::string selectedDicomBitmapFile(const std::string& cur);
std::string sketchScratchBitmapFile(const std::string& cur);
std::string thumbnailScratchBitmapFile(const std::string& cur);
std::string captureScratchBitmapFile(const std::string& cur);

// ---- display bitmaps of DICOM files

// The folder beside a DICOM file that holds its display bitmaps.
std::string displayBitmapFolder(const std::string& dicom);
// What the display conversion writes: <folder>/DisplayTempImage/<name>.bmp.
std::string dicomDisplayBitmapFile(const std::string& dicom);
// What a store or a delete removes: the file name with ".dcm" (lower case only) replaced by
// ".bmp"; nothing for a name without it, whose bitmap goes when the window does.
std::optional<std::string> storedDisplayBitmapFile(const std::string& image);

// ---- capture folders

// A patient name made safe for a folder name: / \ : * ? " < > | become "_", and "~" too when
// `replaceTilde`. A name that is empty after trimming gives the empty name.
std::string CleanFolderName(const std::string& name, bool replaceTilde);
// The capture folder of another examination: "<safe name>~<applyNo>", a "~" in the name kept.
std::string captureFolderName(const std::string& patientName, int32_t applyNo);
// The cache folder name of the current examination: a "~" in the name becomes "_".
std::string cacheFolderName(const std::string& patientName, int32_t applyNo);
// "name~applyNo" shows as "name"; empty or dotted names show as "当前报告".
std::string captureFolderDisplayName(const std::string& folderName);
// What the queue picker is told for a capture target: the application number part, or the whole
// name; the current examination's application number for the empty target.
std::string queuePickerText(const std::string& folderName, int applyNo);
// "采集到:" + display name.
std::string captureTargetLabel(const std::string& folderName);

// The first of <folder>/1<extension>, <folder>/2<extension>, ... that does not exist; the folder
// is created with its parents. A folder that cannot be made raises std::runtime_error.
std::string newNumberedFileName(const std::string& folder, const std::string& extension);

}  // namespace kadrix::clinical
