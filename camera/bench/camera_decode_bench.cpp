// CJpegManager::Decode of a 4000 x 3000 4:2:2 JPEG against libjpeg-turbo's own decode of the
// same file to YCbCr, and GetYUVAverage over the whole image against a plain sequential read of
// a buffer of the same size. Every decode allocates its output buffer: a fresh buffer's page
// faults cost as much as the decode, so leaving them out would flatter whichever side reuses.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "image_fixtures.h"
#include "kadrix_camera.h"

namespace {

using namespace kadrix::camera::test;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// The frame file, made once in a folder of its own (the trace log lands there too).
const std::string& framePath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/kadrix-camera-bench-XXXXXX";
        const std::filesystem::path folder = mkdtemp(pattern);
        std::filesystem::current_path(folder);
        // Smooth gradients with some texture, like a camera frame at quality 90.
        const auto jpeg = jpegFromYcc(kWidth, kHeight, Sampling::S422, 90, [](int x, int y) {
            const unsigned noise =
                (static_cast<unsigned>(x) * 2654435761u ^ static_cast<unsigned>(y) * 40503u) >> 28;
            return Ycc{static_cast<unsigned char>((x / 16 + y / 12 + noise) & 0xFF),
                       static_cast<unsigned char>(96 + (x / 40) % 64),
                       static_cast<unsigned char>(160 - (y / 30) % 64)};
        });
        const std::string file = (folder / "frame.jpg").string();
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(jpeg.data(), 1, jpeg.size(), out);
        std::fclose(out);
        return file;
    }();
    return path;
}

struct PublishedSelf {
    PublishedSelf() {
        KxPublishModuleHandle(block, KxModuleHandleOf(reinterpret_cast<const void*>(&framePath)));
    }
    ~PublishedSelf() {
        KxUnpublishModuleHandle(block, KxModuleHandleOf(reinterpret_cast<const void*>(&framePath)));
        block.FreeSharedMemory();
    }
    CSharedMemory block;
};

void BM_CJpegManagerDecode(benchmark::State& state) {
    std::string path = framePath();
    PublishedSelf published;
    CJpegManager manager;
    manager.Initialize();
    manager.SetFullPath(path.data());
    for (auto _ : state) {
        // Each Decode releases the previous image and allocates a fresh buffer.
        if (IsFailure(manager.Decode()))
            state.SkipWithError("Decode failed");
        benchmark::DoNotOptimize(manager.GetY(0, 0));
    }
    manager.Terminate();
}
BENCHMARK(BM_CJpegManagerDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LibjpegTurboDecodeToYCbCr(benchmark::State& state) {
    const std::string path = framePath();
    for (auto _ : state) {
        int width = 0, height = 0;
        auto pixels = libjpegDecodeToYcc(path, width, height);
        benchmark::DoNotOptimize(pixels.get());
    }
}
BENCHMARK(BM_LibjpegTurboDecodeToYCbCr)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GetYUVAverageWholeImage(benchmark::State& state) {
    std::string path = framePath();
    PublishedSelf published;
    CJpegManager manager;
    manager.Initialize();
    manager.SetFullPath(path.data());
    if (IsFailure(manager.Decode()))
        state.SkipWithError("Decode failed");
    tagYUV_FLOAT_T yuv{};
    for (auto _ : state) {
        manager.GetYUVAverage({0, 0, kWidth, kHeight}, &yuv);
        benchmark::DoNotOptimize(yuv);
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
}
BENCHMARK(BM_GetYUVAverageWholeImage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SequentialReadSameSize(benchmark::State& state) {
    const std::size_t size = std::size_t{kWidth} * kHeight * 2;
    std::unique_ptr<std::uint64_t[]> buffer(new std::uint64_t[size / 8]);
    std::memset(buffer.get(), 0x5A, size);
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < size / 8; ++i) sum += buffer[i];
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}
BENCHMARK(BM_SequentialReadSameSize)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
