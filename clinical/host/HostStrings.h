// Texts across the exports: host strings (code page 936) and wide strings in, UTF-8 inside.
#pragma once

#include <string>

#include "kadrix/platform/host_string.h"
#include "kadrix/platform/wide_string.h"

namespace kadrix::clinical {

// Null is the empty text; bytes that are not text raise std::invalid_argument.
std::string fromHost(KxHostString text);
std::string fromWide(KxWideString text);
// *result := the text; a null result variable is skipped.
void assignHost(KxHostString* result, const std::string& utf8);
void assignWideResult(KxWideString* result, const std::string& utf8);

}  // namespace kadrix::clinical
