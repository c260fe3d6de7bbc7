// The host string: reference-counted single-byte text in code page 936, owned by the runtime's
// string manager so that a host and a module built on this runtime can hand texts to each
// other. A null handle is the empty text. Results are assigned into a variable whose address
// the caller passes; the previous value of that variable is released.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "kadrix/platform/export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KxHostStringData* KxHostString;

// A new text holding a copy of `length` bytes, with a reference count of 1; null when empty.
KX_PLATFORM_API KxHostString kx_hstr_new(const char* bytes, size_t length);
KX_PLATFORM_API void kx_hstr_addref(KxHostString text);
KX_PLATFORM_API void kx_hstr_release(KxHostString text);
// *target := value, sharing it (the old value of *target is released).
KX_PLATFORM_API void kx_hstr_assign(KxHostString* target, KxHostString value);
// *target := a new text holding a copy of the bytes.
KX_PLATFORM_API void kx_hstr_set(KxHostString* target, const char* bytes, size_t length);
// Zero-terminated bytes, never null ("" for the empty text).
KX_PLATFORM_API const char* kx_hstr_data(KxHostString text);
KX_PLATFORM_API size_t kx_hstr_length(KxHostString text);
KX_PLATFORM_API int32_t kx_hstr_refcount(KxHostString text);

#ifdef __cplusplus
}  // extern "C"

#include <string>
#include <string_view>

#include "kadrix/platform/status.h"

namespace kadrix::platform {

// Value wrapper over KxHostString: copying shares the text, as the string manager does.
class KX_PLATFORM_API HostString {
public:
    HostString() = default;
    // Takes CP936 bytes as they are.
    static HostString fromBytes(std::string_view cp936);
    // Encodes UTF-8 text; fails for text that has no CP936 form or is not UTF-8.
    static Result<HostString> fromUtf8(std::string_view utf8);
    // Shares a handle the caller keeps (adds a reference).
    static HostString borrow(KxHostString handle);
    // Takes over a handle that already carries one reference for us.
    static HostString adopt(KxHostString handle);

    HostString(const HostString& other);
    HostString(HostString&& other) noexcept;
    HostString& operator=(const HostString& other);
    HostString& operator=(HostString&& other) noexcept;
    ~HostString();

    std::string_view bytes() const;
    bool empty() const { return rep_ == nullptr; }
    Result<std::string> toUtf8() const;
    KxHostString handle() const { return rep_; }
    // Hands the reference over to the caller (for results assigned into a host variable).
    KxHostString release();

    friend bool operator==(const HostString& a, const HostString& b) { return a.bytes() == b.bytes(); }

private:
    KxHostString rep_ = nullptr;
};

}  // namespace kadrix::platform
#endif
