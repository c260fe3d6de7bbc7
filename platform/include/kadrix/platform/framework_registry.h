// The host framework's list of extension modules: a module registers itself when it is loaded
// and unregisters when it is unloaded, so a host can find a module by its name and ask for its
// file and version. The version record is an ELF note embedded in the module file
// (KX_MODULE_VERSION_RECORD): a host reads it from a loaded module or from a file on disk.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kadrix/platform/export.h"
#include "kadrix/platform/status.h"

namespace kadrix::platform {

// Four-part version, major first ("7.0.0.1").
struct KX_PLATFORM_API ModuleVersion {
    std::array<uint16_t, 4> parts{};

    std::string text() const;
    friend bool operator==(const ModuleVersion&, const ModuleVersion&) = default;
};

struct VersionRecord {
    ModuleVersion file;
    ModuleVersion product;
    friend bool operator==(const VersionRecord&, const VersionRecord&) = default;
};

using RegistrationId = uint64_t;

struct ExtensionModule {
    RegistrationId id = 0;  // handed out by the registry, never reused in a process
    std::string name;       // the name hosts look the module up by
    std::string file;       // full path of the module file
    VersionRecord version;  // all zero when the module carries no version record
};

// Adds the module to the list; `id` of the argument is ignored. An empty name fails.
KX_PLATFORM_API Result<RegistrationId> registerExtensionModule(const ExtensionModule& module);
// False when the id names no registration (already removed, or never handed out).
KX_PLATFORM_API bool unregisterExtensionModule(RegistrationId id);
// The registrations in the order they were made.
KX_PLATFORM_API std::vector<ExtensionModule> extensionModules();

// The version record of the loaded module (program or shared library) that holds the address.
KX_PLATFORM_API Result<VersionRecord> moduleVersionRecord(const void* addressInModule);
// The version record of a module file, read without loading it.
KX_PLATFORM_API Result<VersionRecord> readVersionRecord(const std::string& path);

// The registration an extension module keeps for as long as it is loaded: one static object of
// the module, so the loader registers it on load and unregisters it on unload. File and version
// come from the module that holds `addressInModule`.
class KX_PLATFORM_API ExtensionModuleRegistration {
  public:
    ExtensionModuleRegistration(const char* name, const void* addressInModule);
    ~ExtensionModuleRegistration();
    ExtensionModuleRegistration(const ExtensionModuleRegistration&) = delete;
    ExtensionModuleRegistration& operator=(const ExtensionModuleRegistration&) = delete;

    bool registered() const { return id_ != 0; }

  private:
    RegistrationId id_ = 0;
};

// The note that carries a version record: owner "Kadrix", type 1, file version then product
// version as 16-bit parts.
inline constexpr char kVersionNoteOwner[] = "Kadrix";
inline constexpr uint32_t kVersionNoteType = 1;

struct VersionNote {
    uint32_t nameSize;
    uint32_t descSize;
    uint32_t type;
    char owner[8];
    uint16_t file[4];
    uint16_t product[4];
};

}  // namespace kadrix::platform

// Embeds the module's version record; use once, at namespace scope of one source of the module.
#define KX_MODULE_VERSION_RECORD(f1, f2, f3, f4, p1, p2, p3, p4)                                 \
    [[gnu::used, gnu::section(".note.kadrix.version"),                                           \
      gnu::aligned(4)]] static const ::kadrix::platform::VersionNote kxModuleVersionNote {       \
        sizeof(::kadrix::platform::kVersionNoteOwner), 16, ::kadrix::platform::kVersionNoteType, \
            "Kadrix", {f1, f2, f3, f4}, {                                                        \
            p1, p2, p3, p4                                                                       \
        }                                                                                        \
    }
