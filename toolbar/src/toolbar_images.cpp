#include "kadrix/toolbar/toolbar_images.h"

#include <algorithm>

namespace kadrix::toolbar {

ToolbarImages::ToolbarImages(int maxCount) : maxCount_(std::clamp(maxCount, 0, int{kMaxCount})) {}

int ToolbarImages::addImage(const QImage& bitmap) {
    return add(bitmap);
}

int ToolbarImages::addIcon(const QImage& icon) {
    return add(icon);
}

int ToolbarImages::add(const QImage& picture) {
    if (picture.isNull() || full())
        return -1;
    QImage stored = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (stored.size() != pictureSize())
        stored = stored.scaled(pictureSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pictures_.push_back(std::move(stored));
    return count() - 1;
}

QImage ToolbarImages::picture(int index) const {
    if (index < 0 || index >= count())
        return {};
    return pictures_[static_cast<std::size_t>(index)];
}

}  // namespace kadrix::toolbar
