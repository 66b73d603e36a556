#pragma once
// The scratch folder of a fuzz target: made once per process under /tmp,
// named after the target, and reused by every input.
#include <cstdlib>
#include <stdlib.h>
#include <string>

namespace wendrel {

inline const std::string& fuzzFolder(const char* target) {
    static const std::string path = [target] {
        std::string name = std::string("/tmp/wendrel-fuzz-") + target + "-XXXXXX";
        if (!::mkdtemp(name.data())) std::abort();
        return name;
    }();
    return path;
}

} // namespace wendrel
