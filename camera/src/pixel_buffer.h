// Large decode buffers. A fresh multi-megabyte block from malloc pays a page fault per 4 KiB
// on first touch, which costs more than decoding into it; 2 MiB aligned blocks that may use
// huge pages cut that by an order of magnitude. Released with free().
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>

namespace kadrix::camera {

inline unsigned char* allocatePixels(std::size_t size) {
    constexpr std::size_t kHugePage = 2u << 20;
    if (size < kHugePage)
        return static_cast<unsigned char*>(std::malloc(size ? size : 1));
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (block)
        madvise(block, rounded, MADV_HUGEPAGE);
    return static_cast<unsigned char*>(block);
}

}  // namespace kadrix::camera
