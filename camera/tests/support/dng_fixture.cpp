#include <fstream>
#include <vector>

#include "image_fixtures.h"

namespace kadrix::camera::test {
namespace {

enum Type : std::uint16_t { BYTE = 1, ASCII = 2, SHORT = 3, LONG = 4, SRATIONAL = 10 };

struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::vector<unsigned char> value;  // little-endian bytes
    std::uint32_t count;
};

void put16(std::vector<unsigned char>& out, std::uint32_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

Entry shorts(std::uint16_t tag, std::vector<std::uint16_t> values) {
    Entry e{tag, SHORT, {}, static_cast<std::uint32_t>(values.size())};
    for (auto v : values) put16(e.value, v);
    return e;
}
Entry longs(std::uint16_t tag, std::uint32_t value) {
    Entry e{tag, LONG, {}, 1};
    put32(e.value, value);
    return e;
}
Entry bytes(std::uint16_t tag, std::vector<unsigned char> values) {
    return {tag, BYTE, values, static_cast<std::uint32_t>(values.size())};
}
Entry text(std::uint16_t tag, const std::string& s) {
    Entry e{tag, ASCII, {s.begin(), s.end()}, static_cast<std::uint32_t>(s.size() + 1)};
    e.value.push_back(0);
    return e;
}

}  // namespace

std::uint32_t writeTinyDng(const std::string& path, int width, int height,
                           const std::function<std::uint16_t(int x, int y)>& value) {
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(width * height * 2);
    const std::uint32_t dataOffset = 8;  // the pixels follow the header; the IFD comes after
    Entry matrix{50721, SRATIONAL, {}, 9};
    for (int i = 0; i < 9; ++i) {
        put32(matrix.value, i % 4 == 0 ? 1 : 0);
        put32(matrix.value, 1);
    }
    std::vector<Entry> entries = {
        longs(254, 0),
        longs(256, static_cast<std::uint32_t>(width)),
        longs(257, static_cast<std::uint32_t>(height)),
        shorts(258, {16}),
        shorts(259, {1}),
        shorts(262, {32803}),
        text(271, "Kadrix"),
        text(272, "Fixture"),
        longs(273, dataOffset),
        shorts(277, {1}),
        longs(278, static_cast<std::uint32_t>(height)),
        longs(279, pixelBytes),
        shorts(284, {1}),
        shorts(33421, {2, 2}),
        bytes(33422, {0, 1, 1, 2}),
        bytes(50706, {1, 4, 0, 0}),
        text(50708, "Kadrix Fixture"),
        matrix,
        shorts(50778, {21}),
    };
    std::vector<unsigned char> file = {'I', 'I', 42, 0};
    const std::uint32_t ifdOffset = dataOffset + pixelBytes;
    put32(file, ifdOffset);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) put16(file, value(x, y));
    // IFD, then the values that do not fit in four bytes.
    std::uint32_t extra = ifdOffset + 2 + static_cast<std::uint32_t>(entries.size()) * 12 + 4;
    std::vector<unsigned char> tail;
    put16(file, static_cast<std::uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        put16(file, e.tag);
        put16(file, e.type);
        put32(file, e.count);
        if (e.value.size() <= 4) {
            std::vector<unsigned char> v = e.value;
            v.resize(4, 0);
            file.insert(file.end(), v.begin(), v.end());
        } else {
            put32(file, extra + static_cast<std::uint32_t>(tail.size()));
            tail.insert(tail.end(), e.value.begin(), e.value.end());
            if (tail.size() % 2)
                tail.push_back(0);
        }
    }
    put32(file, 0);
    file.insert(file.end(), tail.begin(), tail.end());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    return dataOffset;
}

}  // namespace kadrix::camera::test
