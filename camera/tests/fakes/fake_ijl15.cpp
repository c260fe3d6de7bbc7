// A stand-in codec for the tests: its "JPEG" is a text file
//   width height channels colour subsampling [fail]
//   [byte byte ...]
// The bytes (or, without them, a ramp) are copied into the packed buffer as it stands;
// "fail" makes the whole-image read refuse. It records the last request for the test.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ijl15/ijl_properties.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct FakeFile {
    int width = 0, height = 0, channels = 0, colour = 0, subsampling = 0;
    bool failWholeRead = false;
    std::vector<int> bytes;
};

bool parse(const char* path, FakeFile& file) {
    if (!path)
        return false;
    std::ifstream in(path);
    std::string first;
    if (!std::getline(in, first))
        return false;
    std::istringstream head(first);
    if (!(head >> file.width >> file.height >> file.channels >> file.colour >> file.subsampling))
        return false;
    std::string word;
    file.failWholeRead = (head >> word) && word == "fail";
    int b = 0;
    while (in >> b) file.bytes.push_back(b);
    return true;
}

int lastJpgColor = -1, lastDibColor = -1, lastDibChannels = -1, lastDibPad = -1;
int initCount = 0, freeCount = 0;

}  // namespace

FAKE_EXPORT void fakeAnchor() {}

FAKE_EXPORT void fakeIjlRequest(int* jpgColor, int* dibColor, int* dibChannels, int* dibPad) {
    *jpgColor = lastJpgColor;
    *dibColor = lastDibColor;
    *dibChannels = lastDibChannels;
    *dibPad = lastDibPad;
}

FAKE_EXPORT void fakeIjlCounts(int* inits, int* frees) {
    *inits = initCount;
    *frees = freeCount;
}

FAKE_EXPORT int ijlInit(IJL_PROPERTIES* props) {
    std::memset(props, 0, sizeof *props);
    ++initCount;
    lastJpgColor = lastDibColor = lastDibChannels = lastDibPad = -1;
    return 0;
}

FAKE_EXPORT int ijlRead(IJL_PROPERTIES* props, int ioType) {
    FakeFile file;
    if (!parse(props->JPGFile, file))
        return IJL_ERR_FILE;
    if (ioType == IJL_JFILE_READPARAMS) {
        props->JPGWidth = file.width;
        props->JPGHeight = file.height;
        props->JPGChannels = file.channels;
        props->JPGColor = file.colour;
        props->JPGSubsampling = file.subsampling;
        return 0;
    }
    lastJpgColor = props->JPGColor;
    lastDibColor = props->DIBColor;
    lastDibChannels = props->DIBChannels;
    lastDibPad = props->DIBPadBytes;
    if (file.failWholeRead)
        return IJL_ERR_DATA;
    const std::size_t size = static_cast<std::size_t>(props->DIBWidth) * 2 * props->DIBHeight;
    for (std::size_t i = 0; i < size; ++i)
        props->DIBBytes[i] = static_cast<unsigned char>(i < file.bytes.size() ? file.bytes[i] : i);
    return 0;
}

#ifndef FAKE_PARTIAL
FAKE_EXPORT int ijlFree(IJL_PROPERTIES*) {
    ++freeCount;
    return 0;
}
#endif
