#include "kadrix/toolbar/kadrix.h"

#include "kadrix/toolbar/image_lookup.h"
#include "kadrix/toolbar/picture_files.h"
#include "kadrix/toolbar/resource_path.h"

using namespace kadrix::toolbar;

ToolbarImages CKadrix::g_Images;
std::vector<std::string> CKadrix::g_vecImageDir;

CKadrix::CKadrix() = default;
CKadrix::CKadrix(const CKadrix&) = default;
CKadrix& CKadrix::operator=(const CKadrix&) = default;
CKadrix::~CKadrix() = default;

QImage CKadrix::GetBitMap(const char* name, short width, short height, const char* folder) {
    return loadBitmap(resourceFolder(), name, width, height, folder);
}

QImage CKadrix::GetIcon(const char* name, short width, short height, const char* folder) {
    return loadIcon(resourceFolder(), name, width, height, folder);
}

int CKadrix::GetImage(char* name) {
    const PictureLoaders loaders{
        [](const char* n) {
            return GetBitMap(n, ToolbarImages::kPictureWidth, ToolbarImages::kPictureHeight, "");
        },
        [](const char* n) {
            return GetIcon(n, ToolbarImages::kPictureWidth, ToolbarImages::kPictureHeight, "");
        },
    };
    return imageResult(lookUpImage(name, g_Images, g_vecImageDir, loaders));
}

int CKadrix::FindImage(const char* name) {
    return findImage(name, g_vecImageDir);
}

ToolbarImages* CKadrix::GetGlobalImages() {
    return &g_Images;
}
