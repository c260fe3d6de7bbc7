#include "kadrix/platform/text_codec.h"

#include <gtest/gtest.h>

using namespace kadrix::platform;

TEST(TextCodec, Cp936RoundTripOfChineseText) {
    // "打印" in CP936 is B4 F2 D3 A1.
    const std::string cp936 = "\xB4\xF2\xD3\xA1";
    auto utf8 = cp936ToUtf8(cp936);
    ASSERT_TRUE(utf8.ok()) << utf8.message();
    EXPECT_EQ(*utf8, "打印");
    auto back = utf8ToCp936(*utf8);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, cp936);
}

TEST(TextCodec, InvalidBytesFailClearly) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"lead byte without trail", "ab\xB4"},
        {"trail byte out of range", "\x81\x7F"},
        {"0xFF is no lead byte", "x\xFF"},
    };
    for (const Case& c : cases) {
        auto result = cp936ToUtf8(c.bytes);
        EXPECT_FALSE(result.ok()) << c.name;
        EXPECT_NE(result.message().find("CP936"), std::string::npos) << c.name << ": " << result.message();
    }
}

TEST(TextCodec, TextWithoutCp936FormFails) {
    EXPECT_FALSE(utf8ToCp936("emoji \xF0\x9F\x98\x80").ok());
    EXPECT_FALSE(utf8ToCp936("broken \xC3").ok());
}

TEST(TextCodec, Cp936LengthCountsBytes) {
    struct Case {
        const char* text;
        size_t length;
    } cases[] = {{"", 0}, {"ab", 2}, {"打印", 4}, {"保存 ok", 7}, {"图像信息不全！", 14}};
    for (const Case& c : cases) {
        auto length = cp936Length(c.text);
        ASSERT_TRUE(length.ok()) << c.text;
        EXPECT_EQ(*length, c.length) << c.text;
    }
}

TEST(TextCodec, Utf16HandlesSurrogatesAndRejectsBadInput) {
    auto units = utf8ToUtf16("a图\xF0\x9F\x98\x80");
    ASSERT_TRUE(units.ok());
    EXPECT_EQ(*units, std::u16string(u"a图\U0001F600"));
    EXPECT_EQ(units->size(), 4u);
    EXPECT_EQ(*utf16ToUtf8(*units), "a图\xF0\x9F\x98\x80");

    EXPECT_FALSE(utf8ToUtf16("\xC0\x80").ok());      // overlong zero
    EXPECT_FALSE(utf8ToUtf16("\xED\xA0\x80").ok());  // encoded surrogate
    EXPECT_FALSE(utf16ToUtf8(std::u16string(1, char16_t(0xD800))).ok());
}
