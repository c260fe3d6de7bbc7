#include "host/HostStrings.h"

#include <stdexcept>

namespace kadrix::clinical {

std::string fromHost(KxHostString text) {
    auto utf8 = platform::HostString::borrow(text).toUtf8();
    if (!utf8) throw std::invalid_argument(utf8.message());
    return *utf8;
}

std::string fromWide(KxWideString text) {
    auto utf8 = platform::wideToUtf8(text);
    if (!utf8) throw std::invalid_argument(utf8.message());
    return *utf8;
}

void assignHost(KxHostString* result, const std::string& utf8) {
    if (!result) return;
    auto text = platform::HostString::fromUtf8(utf8);
    if (!text) throw std::invalid_argument(text.message());
    kx_hstr_assign(result, text->handle());
}

void assignWideResult(KxWideString* result, const std::string& utf8) {
    if (!result) return;
    if (platform::Status assigned = platform::assignWide(result, utf8); !assigned)
        throw std::invalid_argument(assigned.message());
}

}  // namespace kadrix::clinical
