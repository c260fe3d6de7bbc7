#include "pair_sums.h"

#include <gtest/gtest.h>

#include <vector>

namespace kadrix::camera {
namespace {

// The sums by the plain definition: byte 0 of each group is Y0, 1 is U, 2 is Y1, 3 is V.
PairSums plainSums(const unsigned char* row, std::size_t pairs) {
    PairSums s;
    for (std::size_t i = 0; i < pairs; ++i) {
        s.y0 += row[4 * i];
        s.u += row[4 * i + 1];
        s.y1 += row[4 * i + 2];
        s.v += row[4 * i + 3];
    }
    return s;
}

// Every length the wide loops and the tail split differently, at every misalignment, with bytes
// that differ from one channel to the next (a swapped channel shows).
TEST(PairSums, AgreeWithThePlainSumsForEveryLengthAndStart) {
    std::vector<unsigned char> bytes(4 * 64 + 8);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>((i * 37 + (i % 4) * 61) & 0xFF);
    for (std::size_t start = 0; start < 4; ++start) {
        for (std::size_t pairs = 0; pairs <= 40; ++pairs) {
            PairSums sums;
            sums.y0 = 1;  // sums are added to what is there
            addPairSums(bytes.data() + start, pairs, sums);
            const PairSums expected = plainSums(bytes.data() + start, pairs);
            EXPECT_EQ(sums.y0, expected.y0 + 1) << "pairs " << pairs << " start " << start;
            EXPECT_EQ(sums.u, expected.u) << "pairs " << pairs << " start " << start;
            EXPECT_EQ(sums.y1, expected.y1) << "pairs " << pairs << " start " << start;
            EXPECT_EQ(sums.v, expected.v) << "pairs " << pairs << " start " << start;
        }
    }
}

TEST(PairSums, FullBytesDoNotOverflowALongRow) {
    const std::size_t pairs = 4000;
    std::vector<unsigned char> bytes(4 * pairs, 0xFF);
    PairSums sums;
    addPairSums(bytes.data(), pairs, sums);
    EXPECT_EQ(sums.y0, 255u * pairs);
    EXPECT_EQ(sums.v, 255u * pairs);
}

}  // namespace
}  // namespace kadrix::camera
