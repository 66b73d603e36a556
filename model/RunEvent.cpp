#include "model/RunEvent.h"

#include "model/Cp1252.h"
#include "model/FixedText.h"

namespace wendrel {

std::string historyText(std::string text) { return cp1252ToUtf8(textBeforeNul(std::move(text))); }

} // namespace wendrel
