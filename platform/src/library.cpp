#include "kadrix/platform/library.h"

#include <dlfcn.h>

#include <filesystem>

#include "kadrix/platform/file_services.h"

namespace kadrix::platform {
namespace {

namespace fs = std::filesystem;

std::string folderOf(const std::string& file) {
    if (file.empty()) return {};
    return fs::path(file).parent_path().string();
}

}  // namespace

std::string moduleFileName(const void* addressInModule) {
    if (addressInModule) {
        Dl_info info{};
        if (dladdr(addressInModule, &info) != 0 && info.dli_fname && info.dli_fname[0] == '/')
            return info.dli_fname;
        // The main program reports its name as it was started; /proc knows where it is.
    }
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::vector<std::string> librarySearchFolders(const void* addressInCaller) {
    std::vector<std::string> folders;
    std::string program = hostProgramFolder();
    if (!program.empty() && program.back() == '/') program.pop_back();
    if (!program.empty()) folders.push_back(program);
    if (addressInCaller) {
        std::string own = folderOf(moduleFileName(addressInCaller));
        if (!own.empty() && own != program) folders.push_back(own);
    }
    return folders;
}

Result<SharedLibrary> SharedLibrary::load(std::string_view fileName) {
    return load(fileName, __builtin_return_address(0));
}

Result<SharedLibrary> SharedLibrary::load(std::string_view fileName, const void* addressInCaller) {
    const std::string name(fileName);
    if (name.empty()) return Status::failure("no library file name given");
    std::vector<std::string> candidates;
    if (name.find('/') != std::string::npos) {
        candidates.push_back(name);
    } else {
        for (const std::string& folder : librarySearchFolders(addressInCaller)) {
            std::error_code ec;
            const fs::path candidate = fs::path(folder) / name;
            if (fs::exists(candidate, ec)) candidates.push_back(candidate.string());
        }
        candidates.push_back(name);  // the dynamic loader's own path
    }
    std::string why;
    for (const std::string& candidate : candidates) {
        dlerror();
        if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            SharedLibrary library;
            library.handle_ = handle;
            library.path_ = candidate;
            return library;
        }
        const char* error = dlerror();
        if (why.empty()) why = error ? error : "unknown error";  // the nearest candidate tells most
    }
    return Status::failure("cannot load library " + name + ": " + why);
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(other.handle_), path_(std::move(other.path_)) {
    other.handle_ = nullptr;
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        unload();
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        other.handle_ = nullptr;
    }
    return *this;
}

SharedLibrary::~SharedLibrary() { unload(); }

void SharedLibrary::unload() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

void* SharedLibrary::entry(std::string_view name) const {
    if (!handle_) return nullptr;
    return dlsym(handle_, std::string(name).c_str());
}

}  // namespace kadrix::platform

namespace {
thread_local std::string lastLibraryError;
}

extern "C" {

void* kx_load_library(const char* fileName) {
    auto loaded = kadrix::platform::SharedLibrary::load(fileName ? fileName : "",
                                                        __builtin_return_address(0));
    if (!loaded) {
        lastLibraryError = loaded.message();
        return nullptr;
    }
    lastLibraryError.clear();
    return new kadrix::platform::SharedLibrary(std::move(loaded).value());
}

void* kx_library_entry(void* library, const char* name) {
    if (!library || !name) {
        lastLibraryError = "no library or entry name given";
        return nullptr;
    }
    auto* lib = static_cast<kadrix::platform::SharedLibrary*>(library);
    void* entry = lib->entry(name);
    lastLibraryError = entry ? "" : "entry " + std::string(name) + " not found in " + lib->path();
    return entry;
}

void kx_free_library(void* library) { delete static_cast<kadrix::platform::SharedLibrary*>(library); }

const char* kx_library_error(void) { return lastLibraryError.c_str(); }

}  // extern "C"
