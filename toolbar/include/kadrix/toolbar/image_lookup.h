// Looking a toolbar picture up by its file name: a name is loaded once into the collection and
// answered with its index from then on. The names list runs parallel to the collection, so a
// name's position is its picture's index.
#pragma once

#include <QImage>

#include <functional>
#include <string>
#include <vector>

#include "kadrix/toolbar/toolbar_images.h"

namespace kadrix::toolbar {

enum class ImageOutcome {
    Found,           // the name was loaded before
    Added,           // loaded now
    Unsupported,     // neither "bmp" nor "ico" (exactly, in small letters)
    LoadFailed,      // nothing added; the next look-up tries the file again
    CollectionFull,  // nothing added
};

struct ImageLookup {
    ImageOutcome outcome = ImageOutcome::Unsupported;
    int index = -1;  // for Found and Added
};

// How a picture of a name is read: each returns a null image when it cannot be read.
struct PictureLoaders {
    std::function<QImage(const char* name)> bitmap;
    std::function<QImage(const char* name)> icon;
};

// Text after the last "." of the name, the whole name when it has none.
std::string extensionOf(const std::string& name);

// Position of the name in the list (exact, case-sensitive; searched from the last entry), -1
// when absent, empty or null.
int findImage(const char* name, const std::vector<std::string>& names);

ImageLookup lookUpImage(const char* name, ToolbarImages& images, std::vector<std::string>& names,
                        const PictureLoaders& loaders);

// The answer hosts get: the index, 0 when loading failed, -1 for an unsupported name.
int imageResult(const ImageLookup& lookup);

}  // namespace kadrix::toolbar
