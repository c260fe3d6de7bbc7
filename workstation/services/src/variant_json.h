// Image descriptions as they are kept in the archive index: a variant array as JSON.
#pragma once

#include <string>

#include "kadrix/platform/status.h"
#include "kadrix/platform/variant.h"

namespace kadrix::workstation {

std::string variantToJson(const platform::Variant& value);
platform::Result<platform::Variant> variantFromJson(const std::string& json);

}  // namespace kadrix::workstation
