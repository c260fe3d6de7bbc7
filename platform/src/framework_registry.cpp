#include "kadrix/platform/framework_registry.h"

#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>

#include "kadrix/platform/library.h"

namespace kadrix::platform {
namespace {

struct Registry {
    std::mutex mutex;
    std::vector<ExtensionModule> modules;
    RegistrationId lastId = 0;
};

// Never destroyed: modules unregister from their own destructors, which may run after this
// library's statics at process exit.
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

size_t alignUp(size_t value, size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Walks the notes of one note segment; notes are padded to the segment's alignment (4 or 8).
std::optional<VersionRecord> findVersionNote(const unsigned char* data, size_t size, size_t align) {
    // Notes are padded to 4 or 8 bytes; any other value of a crafted header is taken as 4, so the
    // sums below cannot wrap.
    align = align == 8 ? 8 : 4;
    size_t at = 0;
    while (at <= size && size - at >= sizeof(Elf64_Nhdr)) {
        Elf64_Nhdr header;
        std::memcpy(&header, data + at, sizeof header);
        const size_t nameAt = at + sizeof header;
        const size_t descAt = nameAt + alignUp(header.n_namesz, align);
        const size_t next = descAt + alignUp(header.n_descsz, align);
        if (descAt > size || next > size || next <= at || nameAt + header.n_namesz > size ||
            descAt + header.n_descsz > size)
            return std::nullopt;
        if (header.n_type == kVersionNoteType && header.n_namesz == sizeof(kVersionNoteOwner) &&
            std::memcmp(data + nameAt, kVersionNoteOwner, sizeof(kVersionNoteOwner)) == 0 &&
            header.n_descsz >= 16) {
            uint16_t parts[8];
            std::memcpy(parts, data + descAt, sizeof parts);
            VersionRecord record;
            std::copy(parts, parts + 4, record.file.parts.begin());
            std::copy(parts + 4, parts + 8, record.product.parts.begin());
            return record;
        }
        at = next;
    }
    return std::nullopt;
}

struct MemorySearch {
    uintptr_t address = 0;
    bool moduleFound = false;
    std::optional<VersionRecord> record;
};

int searchLoadedModule(dl_phdr_info* info, size_t, void* context) {
    auto* search = static_cast<MemorySearch*>(context);
    bool holds = false;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum && !holds; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        const uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        holds = segment.p_type == PT_LOAD && search->address >= begin &&
                search->address < begin + segment.p_memsz;
    }
    if (!holds)
        return 0;
    search->moduleFound = true;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum && !search->record; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_NOTE)
            continue;
        search->record = findVersionNote(
            reinterpret_cast<const unsigned char*>(info->dlpi_addr + segment.p_vaddr),
            segment.p_memsz, segment.p_align);
    }
    return 1;
}

}  // namespace

std::string ModuleVersion::text() const {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

Result<RegistrationId> registerExtensionModule(const ExtensionModule& module) {
    if (module.name.empty())
        return Status::failure("an extension module needs a name");
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    ExtensionModule entry = module;
    entry.id = ++r.lastId;
    r.modules.push_back(std::move(entry));
    return r.lastId;
}

bool unregisterExtensionModule(RegistrationId id) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const auto found = std::find_if(r.modules.begin(), r.modules.end(),
                                    [id](const ExtensionModule& m) { return m.id == id; });
    if (found == r.modules.end())
        return false;
    r.modules.erase(found);
    return true;
}

std::vector<ExtensionModule> extensionModules() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.modules;
}

Result<VersionRecord> moduleVersionRecord(const void* addressInModule) {
    MemorySearch search;
    search.address = reinterpret_cast<uintptr_t>(addressInModule);
    dl_iterate_phdr(searchLoadedModule, &search);
    if (!search.moduleFound)
        return Status::failure("the address lies in no loaded module");
    if (!search.record)
        return Status::failure("the module carries no version record");
    return *search.record;
}

Result<VersionRecord> readVersionRecord(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Status::failure("cannot open " + path);
    in.seekg(0, std::ios::end);
    std::string bytes(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in)
        return Status::failure("cannot read " + path);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());

    Elf64_Ehdr header;
    if (bytes.size() < sizeof header || std::memcmp(bytes.data(), ELFMAG, SELFMAG) != 0)
        return Status::failure(path + " is not an ELF file");
    std::memcpy(&header, data, sizeof header);
    if (header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
        header.e_phentsize != sizeof(Elf64_Phdr))
        return Status::failure(path + " is not a 64-bit little-endian ELF file");
    for (size_t i = 0; i < header.e_phnum; ++i) {
        // Checked without sums that could wrap on a crafted header.
        if (header.e_phoff > bytes.size() || i > (bytes.size() - header.e_phoff) / sizeof(Elf64_Phdr) ||
            bytes.size() - header.e_phoff - i * sizeof(Elf64_Phdr) < sizeof(Elf64_Phdr))
            return Status::failure(path + " is truncated");
        const size_t at = header.e_phoff + i * sizeof(Elf64_Phdr);
        Elf64_Phdr segment;
        std::memcpy(&segment, data + at, sizeof segment);
        if (segment.p_type != PT_NOTE)
            continue;
        if (segment.p_offset > bytes.size() || segment.p_filesz > bytes.size() - segment.p_offset)
            return Status::failure(path + " is truncated");
        if (auto record =
                findVersionNote(data + segment.p_offset, segment.p_filesz, segment.p_align))
            return *record;
    }
    return Status::failure(path + " carries no version record");
}

ExtensionModuleRegistration::ExtensionModuleRegistration(const char* name,
                                                         const void* addressInModule) {
    ExtensionModule module;
    module.name = name ? name : "";
    module.file =
        std::filesystem::path(moduleFileName(addressInModule)).lexically_normal().string();
    if (auto version = moduleVersionRecord(addressInModule))
        module.version = *version;
    if (auto id = registerExtensionModule(module))
        id_ = *id;
}

ExtensionModuleRegistration::~ExtensionModuleRegistration() {
    if (id_ != 0)
        unregisterExtensionModule(id_);
}

}  // namespace kadrix::platform
