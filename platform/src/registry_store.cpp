#include "kadrix/platform/registry_store.h"
#include "kadrix/platform/text_codec.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>
#include <map>
#include <mutex>

namespace kadrix::platform {
namespace fs = std::filesystem;
namespace {

constexpr const char* Roots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};
constexpr const char* FormatName = "kadrix-registry";
constexpr int FormatVersion = 1;

std::string folded(std::string_view s) { return asciiLower(s); }

struct Key {
    std::string name;
    std::map<std::string, std::pair<std::string, std::string>> values;  // folded -> (name, data)
    std::map<std::string, Key> keys;                                      // folded -> key
};

// Splits "HKEY_CLASSES_ROOT\CLSID\{...}" into the root's canonical name and the parts below it.
Result<std::vector<std::string>> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    if (parts.empty()) return Status::failure("empty registry key");
    const std::string root = folded(parts[0]);
    static const std::map<std::string, std::string> aliases = {
        {"hkey_classes_root", Roots[0]}, {"hkcr", Roots[0]},         {"hkey_current_user", Roots[1]},
        {"hkcu", Roots[1]},              {"hkey_local_machine", Roots[2]}, {"hklm", Roots[2]}};
    auto it = aliases.find(root);
    if (it == aliases.end()) return Status::failure("unknown registry root " + parts[0]);
    parts[0] = it->second;
    return parts;
}

QJsonObject toJson(const Key& key) {
    QJsonObject values, keys;
    for (const auto& [_, v] : key.values) values.insert(QString::fromStdString(v.first), QString::fromStdString(v.second));
    for (const auto& [_, k] : key.keys) keys.insert(QString::fromStdString(k.name), toJson(k));
    QJsonObject o;
    o.insert("values", values);
    o.insert("keys", keys);
    return o;
}

bool fromJson(const QJsonObject& o, Key& key) {
    const QJsonObject values = o.value("values").toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (!it.value().isString()) return false;
        const std::string name = it.key().toStdString();
        key.values[folded(name)] = {name, it.value().toString().toStdString()};
    }
    const QJsonObject keys = o.value("keys").toObject();
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        if (!it.value().isObject()) return false;
        Key& child = key.keys[folded(it.key().toStdString())];
        child.name = it.key().toStdString();
        if (!fromJson(it.value().toObject(), child)) return false;
    }
    return true;
}

struct FileStamp {
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec mtime{};
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && inode == o.inode && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

FileStamp stampOf(const fs::path& file) {
    struct stat st{};
    FileStamp s;
    if (::stat(file.c_str(), &st) == 0) {
        s.exists = true;
        s.inode = st.st_ino;
        s.size = st.st_size;
        s.mtime = st.st_mtim;
    }
    return s;
}

}  // namespace

struct RegistryStore::Impl {
    fs::path file;
    mutable std::mutex mutex;
    mutable Key root;  // holds the three roots as its keys
    mutable FileStamp loaded;
    mutable bool damaged = false;
    mutable bool everLoaded = false;

    // Reads the file again when another writer changed it since the last read.
    void refresh() const {
        const FileStamp now = stampOf(file);
        if (everLoaded && now == loaded) return;
        everLoaded = true;
        loaded = now;
        root = Key{};
        damaged = false;
        for (const char* r : Roots) root.keys[folded(r)].name = r;
        if (!now.exists) return;
        FILE* f = std::fopen(file.c_str(), "rb");
        if (!f) {
            damaged = true;
            return;
        }
        QByteArray bytes;
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, static_cast<qsizetype>(n));
        std::fclose(f);
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
        const QJsonObject top = doc.object();
        if (error.error != QJsonParseError::NoError || top.value("format").toString() != FormatName ||
            top.value("version").toInt() != FormatVersion) {
            damaged = true;
            return;
        }
        const QJsonObject roots = top.value("roots").toObject();
        for (const char* r : Roots) {
            if (roots.contains(r) && !fromJson(roots.value(r).toObject(), root.keys[folded(r)])) {
                damaged = true;
                return;
            }
        }
    }

    const Key* find(const std::vector<std::string>& parts) const {
        const Key* k = &root;
        for (const std::string& p : parts) {
            auto it = k->keys.find(folded(p));
            if (it == k->keys.end()) return nullptr;
            k = &it->second;
        }
        return k;
    }

    Key& make(const std::vector<std::string>& parts) {
        Key* k = &root;
        for (const std::string& p : parts) {
            Key& child = k->keys[folded(p)];
            if (child.name.empty()) child.name = p;
            k = &child;
        }
        return *k;
    }

    Status save() {
        QJsonObject roots;
        for (const auto& [_, r] : root.keys) roots.insert(QString::fromStdString(r.name), toJson(r));
        QJsonObject top;
        top.insert("format", FormatName);
        top.insert("version", FormatVersion);
        top.insert("roots", roots);
        const QByteArray bytes = QJsonDocument(top).toJson(QJsonDocument::Indented);

        const std::string temp = file.string() + ".tmp-" + std::to_string(::getpid());
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return Status::failure("cannot write the registry file " + temp);
        bool good = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
        good = ::fsync(fd) == 0 && good;
        good = ::close(fd) == 0 && good;
        if (!good || ::rename(temp.c_str(), file.c_str()) != 0) {
            ::unlink(temp.c_str());
            return Status::failure("cannot write the registry file " + file.string());
        }
        loaded = stampOf(file);
        return {};
    }

    // Runs one change under the writers' lock, on the file's latest state.
    template <typename Change>
    Status write(Change change) {
        std::lock_guard guard(mutex);
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        const std::string lockName = file.string() + ".lock";
        const int lock = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
            if (lock >= 0) ::close(lock);
            return Status::failure("cannot lock the registry file " + file.string());
        }
        everLoaded = false;
        refresh();
        Status result;
        if (damaged) {
            result = Status::failure("the registry file " + file.string() + " is damaged; it was left as it is");
        } else if (Status changed = change(); !changed) {
            result = changed;
            everLoaded = false;  // drop the partial change, read the file again next time
        } else {
            result = save();
        }
        ::close(lock);
        return result;
    }
};

RegistryStore& RegistryStore::instance() {
    // One store per file, never destroyed: a reference handed out stays valid when the
    // environment later names another file, and at exit.
    static std::mutex mutex;
    static auto* stores = new std::map<fs::path, std::unique_ptr<RegistryStore>>;
    std::lock_guard lock(mutex);
    auto& store = (*stores)[defaultFile()];
    if (!store) store = std::make_unique<RegistryStore>(defaultFile());
    return *store;
}

fs::path RegistryStore::defaultFile() {
    if (const char* f = std::getenv("KADRIX_REGISTRY"); f && *f) return f;
    if (const char* c = std::getenv("XDG_CONFIG_HOME"); c && *c) return fs::path(c) / "kadrix/registry.json";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".config/kadrix/registry.json";
}

RegistryStore::RegistryStore(fs::path file) : impl_(std::make_unique<Impl>()) { impl_->file = std::move(file); }
RegistryStore::~RegistryStore() = default;

const fs::path& RegistryStore::file() const { return impl_->file; }

std::optional<std::string> RegistryStore::value(std::string_view key, std::string_view name) const {
    auto parts = splitPath(key);
    if (!parts) return std::nullopt;
    std::lock_guard guard(impl_->mutex);
    impl_->refresh();
    const Key* k = impl_->find(*parts);
    if (!k) return std::nullopt;
    auto it = k->values.find(folded(name));
    if (it == k->values.end()) return std::nullopt;
    return it->second.second;
}

bool RegistryStore::keyExists(std::string_view key) const {
    auto parts = splitPath(key);
    if (!parts) return false;
    std::lock_guard guard(impl_->mutex);
    impl_->refresh();
    return impl_->find(*parts) != nullptr;
}

std::vector<std::string> RegistryStore::subKeys(std::string_view key) const {
    std::vector<std::string> names;
    auto parts = splitPath(key);
    if (!parts) return names;
    std::lock_guard guard(impl_->mutex);
    impl_->refresh();
    if (const Key* k = impl_->find(*parts))
        for (const auto& [_, child] : k->keys) names.push_back(child.name);
    return names;
}

std::vector<std::string> RegistryStore::valueNames(std::string_view key) const {
    std::vector<std::string> names;
    auto parts = splitPath(key);
    if (!parts) return names;
    std::lock_guard guard(impl_->mutex);
    impl_->refresh();
    if (const Key* k = impl_->find(*parts))
        for (const auto& [_, v] : k->values) names.push_back(v.first);
    return names;
}

Status RegistryStore::createKey(std::string_view key) {
    auto parts = splitPath(key);
    if (!parts) return parts.status();
    return impl_->write([&] {
        impl_->make(*parts);
        return Status();
    });
}

Status RegistryStore::setValue(std::string_view key, std::string_view name, std::string_view value) {
    auto parts = splitPath(key);
    if (!parts) return parts.status();
    return impl_->write([&] {
        impl_->make(*parts).values[folded(name)] = {std::string(name), std::string(value)};
        return Status();
    });
}

Status RegistryStore::deleteValue(std::string_view key, std::string_view name) {
    auto parts = splitPath(key);
    if (!parts) return parts.status();
    return impl_->write([&] {
        Key* k = const_cast<Key*>(impl_->find(*parts));
        if (!k || k->values.erase(folded(name)) == 0)
            return Status::failure("no registry value " + std::string(name) + " in " + std::string(key));
        return Status();
    });
}

Status RegistryStore::deleteKey(std::string_view key) {
    auto parts = splitPath(key);
    if (!parts) return parts.status();
    if (parts->size() == 1) return Status::failure("a registry root cannot be deleted");
    return impl_->write([&] {
        std::vector<std::string> parent(parts->begin(), parts->end() - 1);
        Key* k = const_cast<Key*>(impl_->find(parent));
        if (!k || k->keys.erase(folded(parts->back())) == 0)
            return Status::failure("no registry key " + std::string(key));
        return Status();
    });
}

}  // namespace kadrix::platform
