// Bitmap and icon files of the resource folder, read into pictures a Qt host can show.
#pragma once

#include <QImage>
#include <QSize>

#include <string>
#include <vector>

namespace kadrix::toolbar {

// Shown in place of an icon whose file is missing; looked for in the same folder.
inline constexpr char kMissingIconName[] = "问号.ico";

// The BMP file <resourceFolder>/<folder>/<name> sized to width × height (0 keeps the file's
// own width or height). Null when the path is too long, the file is missing or not a BMP file,
// or a size is negative.
QImage loadBitmap(const std::string& resourceFolder, const char* name, short width, short height,
                  const char* folder);

// The ICO file <resourceFolder>/<folder>/<name>, or kMissingIconName in that folder when no
// such file exists, sized to width × height. Null when neither can be read.
QImage loadIcon(const std::string& resourceFolder, const char* name, short width, short height,
                const char* folder);

// Of the pictures an icon file holds, the one to show at `wanted` (0 width or height: any):
// the first of exactly that size, else the smallest larger one, else the largest. -1 when
// there are none.
int bestIconPicture(const std::vector<QSize>& sizes, QSize wanted);

}  // namespace kadrix::toolbar
