// The only door to libjpeg-turbo: reads a JPEG file's header and decodes it row by row straight
// into packed YCbCr 4:2:2 (Y0 Cb Y1 Cr).
#pragma once

#include <cstddef>
#include <string>

namespace kadrix::ijl15 {

enum class StoredColor { Grey, YCbCr, Rgb, Other };
enum class Subsampling { None, H2V1, H2V2, Other };
// ToYCbCr converts RGB-stored files; AsStored packs the stored components unconverted.
enum class Conversion { ToYCbCr, AsStored };

struct JpegHeader {
    int width = 0;
    int height = 0;
    int components = 0;
    StoredColor color = StoredColor::Other;
    Subsampling subsampling = Subsampling::Other;
};

enum class ReadResult { Ok, FileError, DataError, MemoryError, ColorError };

class JpegReader {
  public:
    JpegReader();
    ~JpegReader();
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    // Opens the file and reads its header; an earlier file is closed.
    ReadResult open(const char* path);
    bool isOpen() const;
    const std::string& path() const { return path_; }
    const JpegHeader& header() const { return header_; }

    // Decodes the open file: `height` rows of width x 2 bytes, `stride` bytes apart. The file
    // is closed afterwards, whatever the outcome.
    ReadResult readPacked422(unsigned char* destination, std::size_t stride, Conversion conversion);
    void close();

    struct Session;  // libjpeg's state, known to the bridge source only

  private:
    Session* session_ = nullptr;
    std::string path_;
    JpegHeader header_;
};

}  // namespace kadrix::ijl15
