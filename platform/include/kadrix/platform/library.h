// Run-time library loading. Libraries keep their historical file names ("BmpToDcm.dll",
// "DiscBurn.DLL", "ijl15.dll", ...) as ELF shared objects. A bare file name is searched for in
// the host program's folder, then in the folder of the module asking for it, then along the
// dynamic loader's path; a name with a folder is loaded as it stands. A missing library or
// entry is a failure value, never a crash.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kadrix/platform/export.h"
#include "kadrix/platform/status.h"

#ifdef __cplusplus
extern "C" {
#endif
// Null on failure; kx_library_error() then tells why (per thread, until the next call).
KX_PLATFORM_API void* kx_load_library(const char* fileName);
KX_PLATFORM_API void* kx_library_entry(void* library, const char* name);
KX_PLATFORM_API void kx_free_library(void* library);
KX_PLATFORM_API const char* kx_library_error(void);
#ifdef __cplusplus
}
#endif

namespace kadrix::platform {

class KX_PLATFORM_API SharedLibrary {
public:
    // Searches the folder of the module that calls this function.
    [[gnu::noinline]] static Result<SharedLibrary> load(std::string_view fileName);
    // Searches the folder of the module that holds `addressInCaller`.
    static Result<SharedLibrary> load(std::string_view fileName, const void* addressInCaller);

    SharedLibrary() = default;
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary();

    bool loaded() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }
    // Null when the library has no such entry.
    void* entry(std::string_view name) const;
    template <typename Function>
    Result<Function*> function(std::string_view name) const {
        if (void* e = entry(name)) return reinterpret_cast<Function*>(e);
        return Status::failure("entry " + std::string(name) + " not found in " + path_);
    }
    void unload();

private:
    void* handle_ = nullptr;
    std::string path_;
};

// The folders a bare file name is looked for in, in order.
KX_PLATFORM_API std::vector<std::string> librarySearchFolders(const void* addressInCaller);
// File name of the module (executable or shared library) that holds the address; null is the
// executable.
KX_PLATFORM_API std::string moduleFileName(const void* addressInModule);

}  // namespace kadrix::platform
