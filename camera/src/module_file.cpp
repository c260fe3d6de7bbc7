#include "module_file.h"

#include <link.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace kadrix::camera {
namespace {

struct Search {
    std::uintptr_t handle = 0;  // 0: the executable, which the loader lists first
    int visited = 0;
    bool found = false;
    bool executable = false;
    std::uintptr_t base = 0;
    std::string name;
};

// Where the loader mapped the module: its lowest load segment, page aligned (dladdr's base).
std::uintptr_t mappedBase(const dl_phdr_info* info) {
    const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    std::uintptr_t lowest = UINTPTR_MAX;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && segment.p_vaddr < lowest)
            lowest = segment.p_vaddr;
    }
    if (lowest == UINTPTR_MAX)
        return 0;
    return info->dlpi_addr + (lowest & ~(page - 1));
}

int visit(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    const bool first = search->visited++ == 0;
    const std::uintptr_t base = mappedBase(info);
    if (search->handle == 0 ? first : base == search->handle) {
        search->found = true;
        search->executable = first;
        search->base = base;
        search->name = info->dlpi_name ? info->dlpi_name : "";
        return 1;
    }
    return 0;
}

}  // namespace

void* executableModuleHandle() {
    Search search;
    dl_iterate_phdr(visit, &search);
    return search.found ? reinterpret_cast<void*>(search.base) : nullptr;
}

bool moduleFileName(void* hModule, std::string& fileName) {
    Search search;
    search.handle = reinterpret_cast<std::uintptr_t>(hModule);
    dl_iterate_phdr(visit, &search);
    if (!search.found)
        return false;
    std::error_code ec;
    if (search.executable) {
        // The loader knows the program by the name it was started with; /proc knows the file.
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec)
            return false;
        fileName = self.string();
        return true;
    }
    if (search.name.empty())
        return false;
    if (search.name.front() == '/') {
        fileName = search.name;
        return true;
    }
    const std::filesystem::path absolute = std::filesystem::absolute(search.name, ec);
    if (ec)
        return false;
    fileName = absolute.string();
    return true;
}

}  // namespace kadrix::camera
