// Small text rules the module applies in many places.
#pragma once

#include <QString>

#include <string>

namespace kadrix::clinical {

// The text without surrounding blanks (and other white space).
inline std::string trimmed(const std::string& text) {
    return QString::fromStdString(text).trimmed().toStdString();
}

}  // namespace kadrix::clinical
