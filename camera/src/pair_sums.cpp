#include "pair_sums.h"

#include <emmintrin.h>

namespace kadrix::camera {

// SSE2 is baseline on x86-64: masking each byte position of the groups and summing with
// psadbw reads at memory speed, where a byte loop into doubles manages a tenth of it.
void addPairSums(const unsigned char* row, std::size_t pairs, PairSums& sums) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i maskY0 = _mm_set1_epi32(0x000000FF);
    const __m128i maskU = _mm_set1_epi32(0x0000FF00);
    const __m128i maskY1 = _mm_set1_epi32(0x00FF0000);
    const __m128i maskV = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    __m128i y0 = zero, u = zero, y1 = zero, v = zero;
    std::size_t i = 0;
    // Two loads per step keep more sums in flight.
    for (; i + 8 <= pairs; i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i * 4));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i * 4 + 16));
        y0 = _mm_add_epi64(y0, _mm_sad_epu8(_mm_and_si128(a, maskY0), zero));
        u = _mm_add_epi64(u, _mm_sad_epu8(_mm_and_si128(a, maskU), zero));
        y1 = _mm_add_epi64(y1, _mm_sad_epu8(_mm_and_si128(a, maskY1), zero));
        v = _mm_add_epi64(v, _mm_sad_epu8(_mm_and_si128(a, maskV), zero));
        y0 = _mm_add_epi64(y0, _mm_sad_epu8(_mm_and_si128(b, maskY0), zero));
        u = _mm_add_epi64(u, _mm_sad_epu8(_mm_and_si128(b, maskU), zero));
        y1 = _mm_add_epi64(y1, _mm_sad_epu8(_mm_and_si128(b, maskY1), zero));
        v = _mm_add_epi64(v, _mm_sad_epu8(_mm_and_si128(b, maskV), zero));
    }
    for (; i + 4 <= pairs; i += 4) {
        const __m128i groups = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i * 4));
        y0 = _mm_add_epi64(y0, _mm_sad_epu8(_mm_and_si128(groups, maskY0), zero));
        u = _mm_add_epi64(u, _mm_sad_epu8(_mm_and_si128(groups, maskU), zero));
        y1 = _mm_add_epi64(y1, _mm_sad_epu8(_mm_and_si128(groups, maskY1), zero));
        v = _mm_add_epi64(v, _mm_sad_epu8(_mm_and_si128(groups, maskV), zero));
    }
    auto total = [](__m128i lanes) {
        return static_cast<std::uint64_t>(_mm_cvtsi128_si64(lanes)) +
               static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(lanes, lanes)));
    };
    sums.y0 += total(y0);
    sums.u += total(u);
    sums.y1 += total(y1);
    sums.v += total(v);
    for (; i < pairs; ++i) {
        const unsigned char* group = row + i * 4;
        sums.y0 += group[0];
        sums.u += group[1];
        sums.y1 += group[2];
        sums.v += group[3];
    }
}

}  // namespace kadrix::camera
