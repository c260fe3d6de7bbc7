// A stand-in raw decoder for the tests: its "raw file" is a text file
//   status width height bits offset
// A zero status returns bits / 8 x width x height bytes counting up from 0.
#include <cstdint>
#include <cstdlib>
#include <fstream>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT void fakeAnchor() {}

#ifndef FAKE_PARTIAL
FAKE_EXPORT int GetVrel2MainImage(const char* path, std::uint32_t* width, std::uint32_t* height,
                                  std::int32_t* bits, std::uint32_t* offset, unsigned char** data) {
    std::ifstream in(path);
    int status = 1;
    if (!(in >> status >> *width >> *height >> *bits >> *offset))
        return 1;
    if (status != 0)
        return status;
    const std::size_t size = static_cast<std::size_t>(*bits / 8) * *width * *height;
    *data = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    for (std::size_t i = 0; i < size; ++i) (*data)[i] = static_cast<unsigned char>(i);
    return 0;
}
#endif
