#include "kadrix/toolbar/picture_files.h"

#include <QImageReader>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "kadrix/toolbar/resource_path.h"

namespace kadrix::toolbar {
namespace {

std::optional<QSize> requestedSize(short width, short height) {
    if (width < 0 || height < 0)
        return std::nullopt;
    return QSize(width, height);
}

QImage sizedTo(const QImage& image, QSize wanted) {
    const QSize target(wanted.width() ? wanted.width() : image.width(),
                       wanted.height() ? wanted.height() : image.height());
    if (image.size() == target)
        return image;
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

QImage readIcon(const std::string& path, QSize wanted) {
    if (!fileExists(path))
        return {};
    QImageReader reader(QString::fromStdString(path), "ico");
    reader.setAutoDetectImageFormat(false);  // only an icon file is an icon
    std::vector<QImage> pictures;
    const int count = std::max(reader.imageCount(), 1);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        QImage picture = reader.read();
        if (!picture.isNull())
            pictures.push_back(std::move(picture));
    }
    std::vector<QSize> sizes;
    for (const QImage& p : pictures) sizes.push_back(p.size());
    const int best = bestIconPicture(sizes, wanted);
    if (best < 0)
        return {};
    return sizedTo(pictures[static_cast<std::size_t>(best)].convertToFormat(
                       QImage::Format_ARGB32_Premultiplied),
                   wanted);
}

}  // namespace

int bestIconPicture(const std::vector<QSize>& sizes, QSize wanted) {
    auto matches = [&](QSize s) {
        return (wanted.width() == 0 || s.width() == wanted.width()) &&
               (wanted.height() == 0 || s.height() == wanted.height());
    };
    auto area = [](QSize s) { return static_cast<long long>(s.width()) * s.height(); };
    int exact = -1, larger = -1, largest = -1;
    for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
        const QSize s = sizes[static_cast<std::size_t>(i)];
        if (matches(s) && exact < 0)
            exact = i;
        if (s.width() >= wanted.width() && s.height() >= wanted.height() &&
            (larger < 0 || area(s) < area(sizes[static_cast<std::size_t>(larger)])))
            larger = i;
        if (largest < 0 || area(s) > area(sizes[static_cast<std::size_t>(largest)]))
            largest = i;
    }
    return exact >= 0 ? exact : larger >= 0 ? larger : largest;
}

QImage loadBitmap(const std::string& resourceFolder, const char* name, short width, short height,
                  const char* folder) {
    const auto wanted = requestedSize(width, height);
    const auto path = resourcePath(resourceFolder, folder, name);
    if (!wanted || !path || !fileExists(*path))
        return {};
    QImageReader reader(QString::fromStdString(*path), "bmp");
    reader.setAutoDetectImageFormat(false);  // only a BMP file is a bitmap
    const QImage image = reader.read();
    return image.isNull() ? QImage() : sizedTo(image, *wanted);
}

QImage loadIcon(const std::string& resourceFolder, const char* name, short width, short height,
                const char* folder) {
    const auto wanted = requestedSize(width, height);
    auto path = resourcePath(resourceFolder, folder, name);
    if (!wanted || !path)
        return {};
    if (!fileExists(*path)) {
        path = resourcePath(resourceFolder, folder, kMissingIconName);
        if (!path)
            return {};
    }
    return readIcon(*path, *wanted);
}

}  // namespace kadrix::toolbar
