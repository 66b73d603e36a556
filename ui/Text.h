#pragma once
// Task texts are kept as Windows-1252 bytes; widgets show Unicode.
#include <QString>
#include <string>

#include "model/Cp1252.h"

namespace wendrel {

inline QString fromRecordText(const std::string& bytes) {
    return QString::fromStdString(cp1252ToUtf8(bytes));
}
inline std::string toRecordText(const QString& text) { return utf8ToCp1252(text.toStdString()); }

} // namespace wendrel
