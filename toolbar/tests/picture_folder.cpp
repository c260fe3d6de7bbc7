#include "picture_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace kadrix::testing {

PictureFolder::PictureFolder() {
    std::string pattern = (fs::temp_directory_path() / "kx_toolbar_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "cannot make " << pattern;
    path_ = pattern;
}

PictureFolder::~PictureFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void PictureFolder::save(const std::string& name, QSize size, QColor colour,
                         const char* format) const {
    const fs::path target = fs::path(file(name));
    fs::create_directories(target.parent_path());
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(target.string()), format)) << target;
}

void PictureFolder::writeBitmap(const std::string& name, QSize size, QColor colour) const {
    save(name, size, colour, "BMP");
}

void PictureFolder::writeIcon(const std::string& name, QSize size, QColor colour) const {
    save(name, size, colour, "ICO");
}

void PictureFolder::writeText(const std::string& name, const std::string& text) const {
    std::ofstream(file(name)) << text;
}

void PictureFolder::remove(const std::string& name) const {
    fs::remove(file(name));
}

QColor centreColour(const QImage& image) {
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

}  // namespace kadrix::testing
