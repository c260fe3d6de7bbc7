#include "kadrix/platform/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace kadrix::platform {
namespace {

// One conversion descriptor per direction and thread, reset before every use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    Result<std::string> run(std::string_view in, const char* what) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            return Status::failure(std::string("no converter for ") + what);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(in.size() * 2 + 8, '\0');
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t done = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + done;
            size_t dstLeft = out.size() - done;
            size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            done = out.size() - dstLeft;
            if (rc != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            const size_t offset = in.size() - srcLeft;
            return Status::failure(std::string(what) + ": " +
                                   (errno == EINVAL ? "incomplete character" : "invalid character") +
                                   " at byte " + std::to_string(offset));
        }
        // glibc converts some characters "approximately" only with //TRANSLIT; without it an
        // unconvertible character is EILSEQ above, so what is left here is exact.
        out.resize(done);
        return out;
    }

private:
    iconv_t cd_;
};

Converter& converter(int which) {
    thread_local Converter toUtf8("UTF-8", "CP936");
    thread_local Converter toCp936("CP936", "UTF-8");
    return which == 0 ? toUtf8 : toCp936;
}

// Reads one code point; returns false for malformed UTF-8 (overlong, surrogate, out of range).
bool nextCodePoint(std::string_view s, size_t& i, char32_t& cp) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    size_t n;
    char32_t min;
    if (c < 0x80) {
        cp = c;
        i += 1;
        return true;
    } else if ((c & 0xE0) == 0xC0) {
        n = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n;
    return true;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

Result<std::string> cp936ToUtf8(std::string_view cp936) {
    return converter(0).run(cp936, "CP936 text");
}

Result<std::string> utf8ToCp936(std::string_view utf8) {
    return converter(1).run(utf8, "text without a CP936 form");
}

Result<std::u16string> utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp;
        const size_t at = i;
        if (!nextCodePoint(utf8, i, cp))
            return Status::failure("invalid UTF-8 at byte " + std::to_string(at));
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

Result<std::string> utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            return Status::failure("unpaired UTF-16 surrogate at unit " + std::to_string(i));
        }
        appendUtf8(out, cp);
    }
    return out;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

Result<size_t> cp936Length(std::string_view utf8) {
    auto encoded = utf8ToCp936(utf8);
    if (!encoded) return encoded.status();
    return encoded->size();
}

}  // namespace kadrix::platform
