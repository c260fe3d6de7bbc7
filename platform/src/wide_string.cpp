#include "kadrix/platform/wide_string.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "kadrix/platform/text_codec.h"

namespace {
// The 4-byte prefix sits right before the first unit.
uint32_t* prefixOf(KxWideString s) { return reinterpret_cast<uint32_t*>(s) - 1; }

std::u16string_view viewOf(KxWideString s) {
    if (!s) return {};
    return {reinterpret_cast<const char16_t*>(s), kx_wstr_length(s)};
}
}  // namespace

extern "C" {

KxWideString kx_wstr_alloc(const KxWideChar* units, uint32_t count) {
    if (count == 0) return nullptr;
    if (count > (UINT32_MAX - 8) / 2) return nullptr;
    const size_t bytes = size_t{count} * 2;
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(uint32_t) + bytes + 2));
    if (!block) throw std::bad_alloc();
    const uint32_t prefix = static_cast<uint32_t>(bytes);
    std::memcpy(block, &prefix, sizeof prefix);
    auto* text = reinterpret_cast<KxWideString>(block + sizeof(uint32_t));
    if (units)
        std::memcpy(text, units, bytes);
    else
        std::memset(text, 0, bytes);
    text[count] = 0;
    return text;
}

void kx_wstr_free(KxWideString text) {
    if (text) std::free(prefixOf(text));
}

uint32_t kx_wstr_byte_length(KxWideString text) { return text ? *prefixOf(text) : 0; }

uint32_t kx_wstr_length(KxWideString text) { return kx_wstr_byte_length(text) / 2; }

void kx_wstr_assign(KxWideString* target, const KxWideChar* units, uint32_t count) {
    if (!target) return;
    KxWideString fresh = kx_wstr_alloc(units, count);
    kx_wstr_free(*target);
    *target = fresh;
}

}  // extern "C"

namespace kadrix::platform {

WideString::WideString(std::u16string_view units)
    : rep_(kx_wstr_alloc(reinterpret_cast<const KxWideChar*>(units.data()),
                         static_cast<uint32_t>(units.size()))) {}

Result<WideString> WideString::fromUtf8(std::string_view utf8) {
    auto units = utf8ToUtf16(utf8);
    if (!units) return units.status();
    return WideString(*units);
}

WideString WideString::copyOf(KxWideString handle) {
    WideString s;
    s.rep_ = kx_wstr_alloc(handle, kx_wstr_length(handle));
    return s;
}

WideString WideString::adopt(KxWideString handle) {
    WideString s;
    s.rep_ = handle;
    return s;
}

WideString::WideString(WideString&& other) noexcept : rep_(other.rep_) { other.rep_ = nullptr; }

WideString& WideString::operator=(WideString&& other) noexcept {
    if (this != &other) {
        kx_wstr_free(rep_);
        rep_ = other.rep_;
        other.rep_ = nullptr;
    }
    return *this;
}

WideString::WideString(const WideString& other)
    : rep_(kx_wstr_alloc(other.rep_, kx_wstr_length(other.rep_))) {}

WideString& WideString::operator=(const WideString& other) {
    if (this != &other) kx_wstr_assign(&rep_, other.rep_, kx_wstr_length(other.rep_));
    return *this;
}

WideString::~WideString() { kx_wstr_free(rep_); }

std::u16string_view WideString::units() const {
    return viewOf(rep_);
}

Result<std::string> WideString::toUtf8() const { return utf16ToUtf8(units()); }

KxWideString WideString::release() {
    KxWideString h = rep_;
    rep_ = nullptr;
    return h;
}

Result<std::string> wideToUtf8(KxWideString text) {
    return utf16ToUtf8(viewOf(text));
}

Status assignWide(KxWideString* target, std::string_view utf8) {
    auto units = utf8ToUtf16(utf8);
    if (!units) return units.status();
    kx_wstr_assign(target, reinterpret_cast<const KxWideChar*>(units->data()),
                   static_cast<uint32_t>(units->size()));
    return {};
}

}  // namespace kadrix::platform
