#include "kadrix/platform/class_registry.h"

#include <map>
#include <mutex>
#include <vector>

#include "kadrix/platform/library.h"
#include "kadrix/platform/registry_store.h"
#include "kadrix/platform/text_codec.h"

namespace kadrix::platform {
namespace {

std::string folded(std::string_view s) { return asciiLower(s); }

struct Classes {
    std::mutex mutex;
    std::map<std::string, ObjectFactory> factories;  // by folded identifier
    std::map<std::string, SharedLibrary> providers;  // by file, kept loaded for the process
};

// Never destroyed: objects made by a provider may outlive every static of this library.
Classes& classes() {
    static auto* c = new Classes;
    return *c;
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool looksLikeClassId(std::string_view s) {
    if (s.size() == 38 && s.front() == '{' && s.back() == '}') s = s.substr(1, 36);
    if (s.size() != 36) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? s[i] != '-' : !isHexDigit(s[i])) return false;
    }
    return true;
}

}  // namespace

std::string canonicalClassId(std::string_view classId) {
    if (!looksLikeClassId(classId)) return std::string(classId);
    std::string s(classId);
    if (s.front() != '{') s = "{" + s + "}";
    for (char& c : s)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 32);
    return s;
}

void registerClass(std::string_view id, ObjectFactory factory) {
    std::lock_guard lock(classes().mutex);
    classes().factories[folded(canonicalClassId(id))] = std::move(factory);
}

void unregisterClass(std::string_view id) {
    std::lock_guard lock(classes().mutex);
    classes().factories.erase(folded(canonicalClassId(id)));
}

Result<ObjectRef> createObject(std::string_view id) {
    const std::string wanted = canonicalClassId(id);
    if (wanted.empty()) return Status::failure("no class identifier given");
    ObjectFactory factory;
    {
        std::lock_guard lock(classes().mutex);
        auto it = classes().factories.find(folded(wanted));
        if (it != classes().factories.end()) factory = it->second;
    }
    if (factory) {
        ObjectRef object = factory();
        if (!object) return Status::failure("class " + wanted + " made no object");
        return object;
    }

    RegistryStore& registry = RegistryStore::instance();
    std::string classId = wanted;
    if (!looksLikeClassId(wanted)) {
        auto found = registry.value("HKEY_CLASSES_ROOT\\" + wanted + "\\CLSID");
        if (!found) return Status::failure("invalid class string: " + wanted + " is not registered");
        classId = canonicalClassId(*found);
    }
    const std::string server = "HKEY_CLASSES_ROOT\\CLSID\\" + classId + "\\InprocServer32";
    auto file = registry.value(server);
    if (!file || file->empty()) return Status::failure("class " + classId + " is not registered");
    const std::string entryName = registry.value(server, "Factory").value_or("KxCreateObject");

    auto library = SharedLibrary::load(*file);
    if (!library) return Status::failure("class " + classId + ": " + library.message());
    auto entry = library->function<int(const char*, ObjectRef*)>(entryName);
    if (!entry) return Status::failure("class " + classId + ": " + entry.message());
    ObjectRef object;
    const int rc = (*entry)(classId.c_str(), &object);
    {
        std::lock_guard lock(classes().mutex);
        const std::string path = library->path();
        classes().providers.try_emplace(path, std::move(library).value());
    }
    if (rc != 0 || !object)
        return Status::failure("class " + classId + " is not provided by " + *file);
    return object;
}

}  // namespace kadrix::platform
