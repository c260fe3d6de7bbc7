// Where images live on the workstation before the archive takes them, and how folders and
// files are named so that the host, the capture folder window and the module agree.
#pragma once

#include <string>

namespace kadrix::clinical {

// The temp root: the temp path setting trimmed of blanks, one trailing separator removed.
std::string tempRoot(const std::string& tempPathSetting);
// A patient name made safe for a folder name: / \ : * ? " < > | become "_", and "~" too when
// `replaceTilde`. A name that is empty after trimming gives the empty name.
std::string cleanFolderName(const std::string& name, bool replaceTilde);
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

inline constexpr const char* CurrentReportName = "当前报告";

}  // namespace kadrix::clinical
