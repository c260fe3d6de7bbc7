// A temporary resource folder that tests fill with small BMP and ICO files made on the spot.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include <string>

namespace kadrix::testing {

class PictureFolder {
  public:
    PictureFolder();
    ~PictureFolder();
    PictureFolder(const PictureFolder&) = delete;
    PictureFolder& operator=(const PictureFolder&) = delete;

    // Without trailing "/".
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // One-colour pictures; `name` may hold a sub-folder, which is created.
    void writeBitmap(const std::string& name, QSize size, QColor colour) const;
    void writeIcon(const std::string& name, QSize size, QColor colour) const;
    void writeText(const std::string& name, const std::string& text) const;
    void remove(const std::string& name) const;

  private:
    void save(const std::string& name, QSize size, QColor colour, const char* format) const;
    std::string path_;
};

// The colour in the middle of a picture.
QColor centreColour(const QImage& image);

}  // namespace kadrix::testing
