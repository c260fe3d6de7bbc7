// Small DICOM files the conversion tests write with DCMTK.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kadrix::bmptodcm::test {

enum class Encoding { Uncompressed, JpegLossless, JpegBaseline, Rle };

struct DicomPicture {
    std::string photometric = "MONOCHROME2";
    int width = 0;
    int height = 0;
    int bitsAllocated = 8;
    int bitsStored = 8;
    bool isSigned = false;
    int planar = 0;  // colour: 0 interleaved, 1 one plane per colour
    int frames = 1;
    // Samples in file order: frames × rows × columns × samples per pixel (planes when planar).
    std::vector<int32_t> samples;
    std::optional<std::pair<double, double>> window;  // centre, width
};

// Writes the picture; false when DCMTK refuses (the message then goes to `error`).
bool writeDicom(const std::filesystem::path& file, const DicomPicture& picture, Encoding encoding,
                std::string* error = nullptr);

// A DICOM file holding a patient's name and no picture.
bool writeDicomWithoutPicture(const std::filesystem::path& file);

}  // namespace kadrix::bmptodcm::test
