// Entry of the archive server's provider library: the server reads where the archive lives
// from the "FerroLink.xml" beside the library file it was loaded from.
#include <cstring>

#include "kadrix/platform/class_registry.h"
#include "kadrix/platform/library.h"
#include "kadrix/workstation/picture_archive.h"

using namespace kadrix;

extern "C" __attribute__((visibility("default"))) int KxCreateObject(const char* classId, platform::ObjectRef* out) {
    if (!classId || !out || platform::canonicalClassId(classId) != workstation::ArchiveClassId) return 1;
    const std::filesystem::path folder =
        std::filesystem::path(platform::moduleFileName(reinterpret_cast<const void*>(&KxCreateObject))).parent_path();
    auto settings = workstation::readArchiveSettingsFile(folder);
    if (!settings) return 2;
    auto archive = workstation::openPictureArchive(*settings);
    if (!archive) return 3;
    *out = workstation::makeArchiveServer(*archive);
    return 0;
}
