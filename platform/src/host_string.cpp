#include "kadrix/platform/host_string.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "kadrix/platform/text_codec.h"

// The text lives right after its header in one allocation, zero-terminated.
struct KxHostStringData {
    std::atomic<int32_t> refs;
    uint32_t length;
};

namespace {
char* payload(KxHostString s) { return reinterpret_cast<char*>(s + 1); }
}  // namespace

extern "C" {

KxHostString kx_hstr_new(const char* bytes, size_t length) {
    if (length == 0 || bytes == nullptr) return nullptr;
    if (length > UINT32_MAX - sizeof(KxHostStringData) - 1) return nullptr;
    void* block = std::malloc(sizeof(KxHostStringData) + length + 1);
    if (!block) throw std::bad_alloc();
    auto* s = new (block) KxHostStringData{{1}, static_cast<uint32_t>(length)};
    std::memcpy(payload(s), bytes, length);
    payload(s)[length] = '\0';
    return s;
}

void kx_hstr_addref(KxHostString text) {
    if (text) text->refs.fetch_add(1, std::memory_order_relaxed);
}

void kx_hstr_release(KxHostString text) {
    if (text && text->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        text->~KxHostStringData();
        std::free(text);
    }
}

void kx_hstr_assign(KxHostString* target, KxHostString value) {
    if (!target || *target == value) return;
    kx_hstr_addref(value);
    KxHostString old = *target;
    *target = value;
    kx_hstr_release(old);
}

void kx_hstr_set(KxHostString* target, const char* bytes, size_t length) {
    if (!target) return;
    KxHostString fresh = kx_hstr_new(bytes, length);
    KxHostString old = *target;
    *target = fresh;
    kx_hstr_release(old);
}

const char* kx_hstr_data(KxHostString text) { return text ? payload(text) : ""; }

size_t kx_hstr_length(KxHostString text) { return text ? text->length : 0; }

int32_t kx_hstr_refcount(KxHostString text) {
    return text ? text->refs.load(std::memory_order_relaxed) : 0;
}

}  // extern "C"

namespace kadrix::platform {

HostString HostString::fromBytes(std::string_view cp936) {
    return adopt(kx_hstr_new(cp936.data(), cp936.size()));
}

Result<HostString> HostString::fromUtf8(std::string_view utf8) {
    auto bytes = utf8ToCp936(utf8);
    if (!bytes) return bytes.status();
    return fromBytes(*bytes);
}

HostString HostString::borrow(KxHostString handle) {
    kx_hstr_addref(handle);
    return adopt(handle);
}

HostString HostString::adopt(KxHostString handle) {
    HostString s;
    s.rep_ = handle;
    return s;
}

HostString::HostString(const HostString& other) : rep_(other.rep_) { kx_hstr_addref(rep_); }
HostString::HostString(HostString&& other) noexcept : rep_(other.rep_) { other.rep_ = nullptr; }

HostString& HostString::operator=(const HostString& other) {
    kx_hstr_assign(&rep_, other.rep_);
    return *this;
}

HostString& HostString::operator=(HostString&& other) noexcept {
    if (this != &other) {
        kx_hstr_release(rep_);
        rep_ = other.rep_;
        other.rep_ = nullptr;
    }
    return *this;
}

HostString::~HostString() { kx_hstr_release(rep_); }

std::string_view HostString::bytes() const { return {kx_hstr_data(rep_), kx_hstr_length(rep_)}; }

Result<std::string> HostString::toUtf8() const { return cp936ToUtf8(bytes()); }

KxHostString HostString::release() {
    KxHostString h = rep_;
    rep_ = nullptr;
    return h;
}

}  // namespace kadrix::platform
