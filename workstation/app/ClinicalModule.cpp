#include "ClinicalModule.h"

namespace kadrix::workstation {

platform::Status ClinicalModule::load() {
    auto library = platform::SharedLibrary::load("libkadrix_clinical.so");
    if (!library) return library.status();
    library_ = std::move(library).value();
    platform::Status missing;
    const auto bind = [&](auto& entry, const char* name) {
        auto fn = library_.function<std::remove_pointer_t<std::remove_reference_t<decltype(entry)>>>(name);
        if (fn)
            entry = *fn;
        else if (missing.ok())
            missing = fn.status();
    };
    bind(CreateKadrix, "CreateKadrix");
    bind(FreeKadrix, "FreeKadrix");
    bind(ShowKadrix, "ShowKadrix");
    bind(HideKadrix, "HideKadrix");
    bind(GetKadrixHandle, "GetKadrixHandle");
    bind(SetGrabHandle, "SetGrabHandle");
    bind(SetAviFileName, "SetAviFileName");
    bind(GetTempPath, "GetTempPath");
    bind(GetNewImagFileName, "GetNewImagFileName");
    bind(GetTempImageCount, "GetTempImageCount");
    return missing;
}

std::string ClinicalModule::nextCaptureFile(const std::string& extension) const {
    KxWideString folder = nullptr;
    GetTempPath(&folder);
    auto ext = platform::WideString::fromUtf8(extension);
    KxWideString name = nullptr;
    GetNewImagFileName(&name, folder, ext->handle());
    auto text = platform::wideToUtf8(name);
    std::string result = text ? *text : std::string();
    kx_wstr_free(folder);
    kx_wstr_free(name);
    return result;
}

}  // namespace kadrix::workstation
