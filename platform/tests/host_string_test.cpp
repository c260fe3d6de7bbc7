#include "kadrix/platform/host_string.h"

#include <gtest/gtest.h>

using namespace kadrix::platform;

TEST(HostString, NullIsTheEmptyText) {
    KxHostString none = nullptr;
    EXPECT_STREQ(kx_hstr_data(none), "");
    EXPECT_EQ(kx_hstr_length(none), 0u);
    EXPECT_EQ(kx_hstr_new("", 0), nullptr);
    EXPECT_EQ(kx_hstr_new(nullptr, 5), nullptr);
    EXPECT_TRUE(HostString().empty());
    EXPECT_EQ(*HostString().toUtf8(), "");
}

TEST(HostString, AssignSharesAndReleasesTheOldValue) {
    KxHostString a = kx_hstr_new("abc", 3);
    KxHostString target = kx_hstr_new("old", 3);
    kx_hstr_assign(&target, a);
    EXPECT_EQ(target, a);
    EXPECT_EQ(kx_hstr_refcount(a), 2);
    kx_hstr_release(a);
    EXPECT_EQ(kx_hstr_refcount(target), 1);
    EXPECT_STREQ(kx_hstr_data(target), "abc");
    kx_hstr_assign(&target, target);  // self assignment keeps the text
    EXPECT_STREQ(kx_hstr_data(target), "abc");
    kx_hstr_assign(&target, nullptr);
    EXPECT_EQ(target, nullptr);
}

TEST(HostString, WrapperCopiesShareAndConvert) {
    auto text = HostString::fromUtf8("所有图象");
    ASSERT_TRUE(text.ok());
    HostString copy = *text;
    EXPECT_EQ(copy.handle(), text->handle());
    EXPECT_EQ(kx_hstr_refcount(copy.handle()), 2);
    EXPECT_EQ(copy.bytes().size(), 8u);
    EXPECT_EQ(*copy.toUtf8(), "所有图象");

    KxHostString result = nullptr;  // a host's result variable
    kx_hstr_assign(&result, copy.handle());
    EXPECT_EQ(kx_hstr_refcount(result), 3);
    kx_hstr_release(result);

    EXPECT_FALSE(HostString::fromUtf8("\xF0\x9F\x98\x80").ok());
    EXPECT_FALSE(HostString::fromBytes("\xFF\xFF").toUtf8().ok());
}
