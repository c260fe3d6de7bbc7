#include "kadrix/toolbar/image_lookup.h"

namespace kadrix::toolbar {

std::string extensionOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

int findImage(const char* name, const std::vector<std::string>& names) {
    if (!name || !*name)
        return -1;
    for (auto i = static_cast<int>(names.size()) - 1; i >= 0; --i)
        if (names[static_cast<std::size_t>(i)] == name)
            return i;
    return -1;
}

ImageLookup lookUpImage(const char* name, ToolbarImages& images, std::vector<std::string>& names,
                        const PictureLoaders& loaders) {
    // An empty name has no extension; it must not match the unnamed entries below either.
    if (!name || !*name)
        return {ImageOutcome::Unsupported};
    if (const int found = findImage(name, names); found >= 0)
        return {ImageOutcome::Found, found};

    const std::string extension = extensionOf(name);
    const bool bitmap = extension == "bmp";
    if (!bitmap && extension != "ico")
        return {ImageOutcome::Unsupported};
    if (images.full())
        return {ImageOutcome::CollectionFull};

    const QImage picture = bitmap ? loaders.bitmap(name) : loaders.icon(name);
    if (picture.isNull())
        return {ImageOutcome::LoadFailed};
    // Pictures a host added to the collection itself have no name here; unnamed entries keep
    // the position of every name equal to its picture's index.
    if (names.size() < static_cast<std::size_t>(images.count()))
        names.resize(static_cast<std::size_t>(images.count()));
    const int index = bitmap ? images.addImage(picture) : images.addIcon(picture);
    if (index < 0)
        return {ImageOutcome::CollectionFull};
    names.emplace_back(name);
    return {ImageOutcome::Added, index};
}

int imageResult(const ImageLookup& lookup) {
    switch (lookup.outcome) {
        case ImageOutcome::Found:
        case ImageOutcome::Added:
            return lookup.index;
        case ImageOutcome::Unsupported:
            return -1;
        case ImageOutcome::LoadFailed:
        case ImageOutcome::CollectionFull:
            break;
    }
    return 0;
}

}  // namespace kadrix::toolbar
