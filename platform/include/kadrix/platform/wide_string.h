// The wide string: UTF-16 text with a 4-byte byte-length prefix before the first unit and a
// terminating zero unit after the last, allocated and freed only through the runtime. The
// handle points at the first unit; a null handle is the empty text.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "kadrix/platform/export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uint16_t KxWideChar;
typedef KxWideChar* KxWideString;

// A new text of `count` units copied from `units` (may be null: zero-filled); null when count is 0.
KX_PLATFORM_API KxWideString kx_wstr_alloc(const KxWideChar* units, uint32_t count);
KX_PLATFORM_API void kx_wstr_free(KxWideString text);
// Number of UTF-16 units (the prefix divided by two).
KX_PLATFORM_API uint32_t kx_wstr_length(KxWideString text);
KX_PLATFORM_API uint32_t kx_wstr_byte_length(KxWideString text);
// *target := a new text copied from `units`; the old value of *target is freed.
KX_PLATFORM_API void kx_wstr_assign(KxWideString* target, const KxWideChar* units, uint32_t count);

#ifdef __cplusplus
}  // extern "C"

#include <string>
#include <string_view>

#include "kadrix/platform/status.h"

namespace kadrix::platform {

// Owning, move-only wrapper over KxWideString.
class KX_PLATFORM_API WideString {
public:
    WideString() = default;
    explicit WideString(std::u16string_view units);
    // Encodes UTF-8; invalid UTF-8 fails.
    static Result<WideString> fromUtf8(std::string_view utf8);
    // Copies a handle the caller keeps.
    static WideString copyOf(KxWideString handle);
    static WideString adopt(KxWideString handle);

    WideString(WideString&& other) noexcept;
    WideString& operator=(WideString&& other) noexcept;
    WideString(const WideString& other);
    WideString& operator=(const WideString& other);
    ~WideString();

    std::u16string_view units() const;
    bool empty() const { return rep_ == nullptr; }
    // Always succeeds for text made by fromUtf8; unpaired surrogates from a host fail.
    Result<std::string> toUtf8() const;
    KxWideString handle() const { return rep_; }
    KxWideString release();

private:
    KxWideString rep_ = nullptr;
};

// Reads a borrowed wide string argument as UTF-8 (null is empty).
KX_PLATFORM_API Result<std::string> wideToUtf8(KxWideString text);
// *target := the UTF-8 text as a new wide string (for results assigned into a host variable).
KX_PLATFORM_API Status assignWide(KxWideString* target, std::string_view utf8);

}  // namespace kadrix::platform
#endif
