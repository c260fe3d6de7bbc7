#include "kadrix/platform/wide_string.h"

#include <cstring>

#include <gtest/gtest.h>

using namespace kadrix::platform;

TEST(WideString, PrefixHoldsTheByteLengthAndAZeroFollows) {
    const KxWideChar units[] = {u'D', u':', 0x56FE};
    KxWideString s = kx_wstr_alloc(units, 3);
    ASSERT_NE(s, nullptr);
    uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<const char*>(s) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    EXPECT_EQ(kx_wstr_length(s), 3u);
    EXPECT_EQ(kx_wstr_byte_length(s), 6u);
    EXPECT_EQ(s[2], 0x56FE);
    EXPECT_EQ(s[3], 0);
    kx_wstr_free(s);
}

TEST(WideString, EmptyAndNullAreTheSame) {
    EXPECT_EQ(kx_wstr_alloc(nullptr, 0), nullptr);
    EXPECT_EQ(kx_wstr_length(nullptr), 0u);
    kx_wstr_free(nullptr);
    EXPECT_EQ(*wideToUtf8(nullptr), "");
}

TEST(WideString, ResultAssignmentReplacesTheOldText) {
    KxWideString result = nullptr;
    ASSERT_TRUE(assignWide(&result, "/data/图像/1.jpg").ok());
    EXPECT_EQ(*wideToUtf8(result), "/data/图像/1.jpg");
    ASSERT_TRUE(assignWide(&result, "").ok());
    EXPECT_EQ(result, nullptr);
    EXPECT_FALSE(assignWide(&result, "\xFF").ok());
    kx_wstr_free(result);
}

TEST(WideString, WrapperCopiesAreIndependent) {
    auto a = WideString::fromUtf8("abc");
    ASSERT_TRUE(a.ok());
    WideString b = *a;
    EXPECT_NE(b.handle(), a->handle());
    EXPECT_EQ(b.units(), u"abc");
    WideString moved = std::move(b);
    EXPECT_TRUE(b.empty());  // NOLINT: a moved-from wrapper is empty
    EXPECT_EQ(*moved.toUtf8(), "abc");
}
