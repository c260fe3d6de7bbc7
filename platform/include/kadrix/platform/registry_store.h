// The registry: hierarchical keys with named text values and a default value (the empty
// name), under the roots HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE. Key paths
// separate their parts with "\" or "/"; names compare without regard to case and keep the case
// they were created with. The store is one file shared by the processes of a user: every read
// sees the file's latest state, every write goes to a temporary file renamed into place under
// a lock, so a crash never leaves it half-written.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kadrix/platform/export.h"
#include "kadrix/platform/status.h"

namespace kadrix::platform {

class KX_PLATFORM_API RegistryStore {
public:
    // The process's store: the file named by KADRIX_REGISTRY, else
    // $XDG_CONFIG_HOME/kadrix/registry.json, else ~/.config/kadrix/registry.json. The variable is
    // read again when it changes.
    static RegistryStore& instance();
    static std::filesystem::path defaultFile();

    explicit RegistryStore(std::filesystem::path file);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const std::filesystem::path& file() const;

    std::optional<std::string> value(std::string_view key, std::string_view name = {}) const;
    bool keyExists(std::string_view key) const;
    std::vector<std::string> subKeys(std::string_view key) const;
    std::vector<std::string> valueNames(std::string_view key) const;

    // Creates the key and its missing parents.
    Status createKey(std::string_view key);
    Status setValue(std::string_view key, std::string_view name, std::string_view value);
    Status deleteValue(std::string_view key, std::string_view name);
    // Deletes the key with everything below it.
    Status deleteKey(std::string_view key);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kadrix::platform
