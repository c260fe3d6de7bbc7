// Toolbar pictures by file name for a host's toolbars: bitmaps and icons from the host's
// resource folder, loaded once per name into one collection that lives as long as the library.
// Static operations only; called from the host's user-interface thread.
#pragma once

#include <QImage>

#include <string>
#include <vector>

#include "kadrix/toolbar/export.h"
#include "kadrix/toolbar/toolbar_images.h"

class KX_TOOLBAR_API CKadrix {
  public:
    CKadrix();
    CKadrix(const CKadrix& other);
    CKadrix& operator=(const CKadrix& other);
    virtual ~CKadrix();

    // The BMP file <resource folder>/<folder>/<name> sized to width × height; null when the
    // file is missing or not a bitmap, or the path is longer than 255 bytes.
    static QImage GetBitMap(const char* name, short width, short height, const char* folder);
    // The ICO file <resource folder>/<folder>/<name>, or "问号.ico" in that folder when it is
    // missing, sized to width × height; null when neither can be read or the path is too long.
    static QImage GetIcon(const char* name, short width, short height, const char* folder);
    // Index of the 16 × 16 picture of a "*.bmp" or "*.ico" file of the resource folder, loaded
    // on first use; 0 when loading failed (as for the first picture: FindImage tells them
    // apart), -1 for any other name.
    static int GetImage(char* name);
    // Index of a name GetImage has loaded, -1 when it has none: after GetImage answered 0 it
    // tells a failed load (-1) from the first picture (0). Reads no file.
    static int FindImage(const char* name);
    // The collection, the same object for as long as the library is loaded.
    static kadrix::toolbar::ToolbarImages* GetGlobalImages();

  private:
    static kadrix::toolbar::ToolbarImages g_Images;
    // File names of the pictures of g_Images; a name's position is its picture's index.
    static std::vector<std::string> g_vecImageDir;
};
