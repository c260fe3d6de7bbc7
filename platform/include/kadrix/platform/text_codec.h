// Conversions between the text kinds: code page 936 (the host string's bytes), UTF-8 (the
// program's own text) and UTF-16 (the wide string's units). Every conversion fails clearly on
// bytes that are not text of its source kind or characters its target cannot hold.
#pragma once

#include <string>
#include <string_view>

#include "kadrix/platform/export.h"
#include "kadrix/platform/status.h"

namespace kadrix::platform {

KX_PLATFORM_API Result<std::string> cp936ToUtf8(std::string_view cp936);
KX_PLATFORM_API Result<std::string> utf8ToCp936(std::string_view utf8);
KX_PLATFORM_API Result<std::u16string> utf8ToUtf16(std::string_view utf8);
KX_PLATFORM_API Result<std::string> utf16ToUtf8(std::u16string_view utf16);
// ASCII letters lowered, other bytes as they are: names that compare without regard to case.
KX_PLATFORM_API std::string asciiLower(std::string_view text);
// Length in bytes of the text's CP936 form: "打印" is 4, "ab" is 2.
KX_PLATFORM_API Result<size_t> cp936Length(std::string_view utf8);

}  // namespace kadrix::platform
