// Window messages between the host and the module's main window, and among the module's own
// windows. Their numbers are fixed: hosts and grabbers send and expect exactly these.
#pragma once

#include <cstdint>

namespace kadrix::clinical::message {

// From the host.
inline constexpr uint32_t FolderChoice = 1097;      // WParam 0: folder choice allowed
inline constexpr uint32_t GrabberWindow = 1098;     // WParam: the grabber's window handle
inline constexpr uint32_t OpenExamination = 1100;   // WParam: application number
inline constexpr uint32_t CaptureFinished = 1101;   // the host wrote CaptureFileName
inline constexpr uint32_t Ignored1103 = 1103;
inline constexpr uint32_t Ignored1104 = 1104;
inline constexpr uint32_t CaptureForExamination = 1107;  // LParam: application number as host string
inline constexpr uint32_t ReportLock = 1108;        // WParam 0: the report is locked
inline constexpr uint32_t DiscardUnsaved = 1428;

// To the host's grabber and queue picker.
inline constexpr uint32_t StillImageSelected = 1095;
inline constexpr uint32_t BeforeTempFolderChoice = 1096;
inline constexpr uint32_t CaptureTargetChanged = 1102;  // to the queue picker with LParam: the text

// Among the module's windows.
inline constexpr uint32_t SketchMarkChanged = 3024;
inline constexpr uint32_t PrintMarkChanged = 3025;
inline constexpr uint32_t ReloadCaptureFolder = 3029;
inline constexpr uint32_t ThumbnailBoxChanged = 5025;

}  // namespace kadrix::clinical::message
