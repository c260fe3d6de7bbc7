#include "kadrix/toolbar/resource_path.h"

#include <cstdio>
#include <cstdlib>

#include "kadrix/platform/file_services.h"

namespace kadrix::toolbar {

std::string resourceFolder() {
    const char* configured = std::getenv("KADRIX_RES_PATH");
    std::string folder = configured && *configured ? std::string(configured)
                                                   : kadrix::platform::hostProgramFolder() + "res";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::optional<std::string> resourcePath(const std::string& resourceFolder, const char* folder,
                                        const char* name) {
    if (!name)
        return std::nullopt;
    char buffer[kMaxResourcePathBytes + 1];
    const int length = std::snprintf(buffer, sizeof buffer, "%s/%s/%s", resourceFolder.c_str(),
                                     folder ? folder : "", name);
    if (length < 0 || static_cast<std::size_t>(length) > kMaxResourcePathBytes)
        return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace kadrix::toolbar
