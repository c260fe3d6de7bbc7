// The image manager plug-in as the workstation loads it: libkadrix_clinical.so found beside
// the program, its exports resolved by name.
#pragma once

#include <string>

#include "kadrix/clinical.h"
#include "kadrix/platform/library.h"

namespace kadrix::workstation {

class ClinicalModule {
public:
    // Loads the library and every export; failure names what is missing.
    platform::Status load();

    decltype(&::CreateKadrix) CreateKadrix = nullptr;
    decltype(&::FreeKadrix) FreeKadrix = nullptr;
    decltype(&::ShowKadrix) ShowKadrix = nullptr;
    decltype(&::HideKadrix) HideKadrix = nullptr;
    decltype(&::GetKadrixHandle) GetKadrixHandle = nullptr;
    decltype(&::SetGrabHandle) SetGrabHandle = nullptr;
    decltype(&::SetAviFileName) SetAviFileName = nullptr;
    decltype(&::GetTempPath) GetTempPath = nullptr;
    decltype(&::GetNewImagFileName) GetNewImagFileName = nullptr;
    decltype(&::GetTempImageCount) GetTempImageCount = nullptr;

    // GetTempPath, then GetNewImagFileName in it.
    std::string nextCaptureFile(const std::string& extension) const;

private:
    platform::SharedLibrary library_;
};

}  // namespace kadrix::workstation
