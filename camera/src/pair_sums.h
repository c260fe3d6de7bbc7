// Sums over packed 4:2:2 pixel pairs (Y0 U Y1 V), the inner loop of the JPEG statistics.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kadrix::camera {

struct PairSums {
    std::uint64_t y0 = 0;
    std::uint64_t u = 0;
    std::uint64_t y1 = 0;
    std::uint64_t v = 0;
};

// Adds the bytes of `pairs` consecutive four-byte groups starting at `row` to `sums`.
void addPairSums(const unsigned char* row, std::size_t pairs, PairSums& sums);

}  // namespace kadrix::camera
