#include "platform/ProgramEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

extern char** environ;

namespace wendrel {

void ProgramEnvironment::setOwn(const std::string& name, const std::string& value) {
    const auto known = std::find_if(before_.begin(), before_.end(), [&](const auto& v) { return v.first == name; });
    if (known == before_.end()) {
        const char* old = std::getenv(name.c_str());
        before_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    ::setenv(name.c_str(), value.c_str(), 1);
}

std::vector<std::string> ProgramEnvironment::entries() const {
    std::vector<std::string> out;
    for (char** e = environ; e && *e; ++e) {
        const std::string_view entry(*e);
        const std::string_view name = entry.substr(0, entry.find('='));
        const bool own = std::any_of(before_.begin(), before_.end(), [&](const auto& v) { return v.first == name; });
        if (!own) out.emplace_back(entry);
    }
    for (const auto& [name, value] : before_)
        if (value) out.push_back(name + "=" + *value);
    return out;
}

} // namespace wendrel
