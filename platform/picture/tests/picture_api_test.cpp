#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "kadrix/platform/picture_api.h"
#include "picture_fixtures.h"

namespace kadrix::platform {
namespace {

using test::TempFolder;

TEST(PictureApi, NullHandlesAndPathsFailQuietly) {
    KxBitmap* bitmap = kx_bitmap_create(2, 2);
    ASSERT_NE(bitmap, nullptr);
    // Each call fails without crashing and says why.
    struct Case {
        const char* what;
        bool (*call)(KxBitmap*);
    };
    const Case cases[] = {
        {"load null", [](KxBitmap*) { return kx_bitmap_load(nullptr) == nullptr; }},
        {"load empty", [](KxBitmap*) { return kx_bitmap_load("") == nullptr; }},
        {"copy null", [](KxBitmap*) { return kx_bitmap_copy(nullptr) == nullptr; }},
        {"create 0", [](KxBitmap*) { return kx_bitmap_create(0, 5) == nullptr; }},
        {"save null bitmap",
         [](KxBitmap*) { return kx_bitmap_save_bmp(nullptr, "/tmp/x.bmp") == 0; }},
        {"save null path", [](KxBitmap* b) { return kx_bitmap_save_bmp(b, nullptr) == 0; }},
        {"jpeg null bitmap", [](KxBitmap*) { return kx_jpeg_from_bitmap(nullptr, 50) == nullptr; }},
        {"jpeg save null", [](KxBitmap*) { return kx_jpeg_save(nullptr, "/tmp/x.jpg") == 0; }},
        {"convert null",
         [](KxBitmap*) { return kx_picture_file_to_jpeg(nullptr, "/tmp/x.jpg", 50) == 0; }},
        {"convert null target",
         [](KxBitmap*) { return kx_picture_file_to_jpeg("/tmp/x.bmp", nullptr, 50) == 0; }},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.call(bitmap)) << c.what;
        EXPECT_STRNE(kx_picture_error(), "") << c.what;
    }
    // Queries on null answer 0.
    EXPECT_EQ(kx_bitmap_width(nullptr), 0);
    EXPECT_EQ(kx_bitmap_height(nullptr), 0);
    EXPECT_EQ(kx_bitmap_stride(nullptr), 0u);
    EXPECT_EQ(kx_bitmap_row(nullptr, 0), nullptr);
    EXPECT_EQ(kx_bitmap_row(bitmap, 2), nullptr);
    EXPECT_EQ(kx_bitmap_row(bitmap, -1), nullptr);
    EXPECT_EQ(kx_jpeg_size(nullptr), 0u);
    EXPECT_EQ(kx_jpeg_bytes(nullptr), nullptr);
    EXPECT_EQ(kx_jpeg_quality(nullptr), 0);
    kx_bitmap_free(nullptr);
    kx_jpeg_free(nullptr);
    kx_bitmap_free(bitmap);
}

TEST(PictureApi, BitmapToJpegFileThroughHandles) {
    TempFolder folder;
    KxBitmap* bitmap = kx_bitmap_create(5, 3);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(kx_bitmap_width(bitmap), 5);
    EXPECT_EQ(kx_bitmap_height(bitmap), 3);
    EXPECT_EQ(kx_bitmap_stride(bitmap), 16u);
    std::memset(kx_bitmap_row(bitmap, 1), 0xFF, 15);  // a white middle row

    const std::string bmp = folder.file("frame.bmp").string();
    ASSERT_EQ(kx_bitmap_save_bmp(bitmap, bmp.c_str()), 1) << kx_picture_error();
    EXPECT_STREQ(kx_picture_error(), "");
    KxBitmap* loaded = kx_bitmap_load(bmp.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->bitmap.pixel(4, 1), (Bgr{255, 255, 255}));
    EXPECT_EQ(loaded->bitmap.pixel(4, 2), Bgr{});

    KxJpegImage* jpeg = kx_jpeg_from_bitmap(loaded, 500);
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(kx_jpeg_quality(jpeg), 100);
    ASSERT_GT(kx_jpeg_size(jpeg), 2u);
    EXPECT_EQ(kx_jpeg_bytes(jpeg)[0], 0xFF);
    EXPECT_EQ(kx_jpeg_bytes(jpeg)[1], 0xD8);
    const std::string jpg = folder.file("frame.jpg").string();
    ASSERT_EQ(kx_jpeg_save(jpeg, jpg.c_str()), 1);
    EXPECT_EQ(test::readBytes(jpg).size(), kx_jpeg_size(jpeg));

    const std::string converted = folder.file("converted.jpg").string();
    ASSERT_EQ(kx_picture_file_to_jpeg(bmp.c_str(), converted.c_str(), 50), 1);
    KxBitmap* fromJpeg = kx_bitmap_load(converted.c_str());
    ASSERT_NE(fromJpeg, nullptr);
    EXPECT_EQ(kx_bitmap_width(fromJpeg), 5);

    KxBitmap* copy = kx_bitmap_copy(bitmap);
    kx_bitmap_free(bitmap);  // the copy is independent
    EXPECT_EQ(copy->bitmap.pixel(0, 1), (Bgr{255, 255, 255}));

    for (KxBitmap* b : {loaded, fromJpeg, copy}) kx_bitmap_free(b);
    kx_jpeg_free(jpeg);
}

TEST(PictureApi, ErrorTextBelongsToTheThread) {
    ASSERT_EQ(kx_bitmap_load("/no/such/picture.bmp"), nullptr);
    const std::string mine = kx_picture_error();
    EXPECT_NE(mine.find("/no/such/picture.bmp"), std::string::npos);
    std::string other = "unset";
    std::thread([&] { other = kx_picture_error(); }).join();
    EXPECT_EQ(other, "");
    EXPECT_EQ(kx_picture_error(), mine);
}

}  // namespace
}  // namespace kadrix::platform
