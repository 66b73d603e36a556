#pragma once
// The environment of the programs that scripts (and Edit Script) start: the
// one Wendrel was started with. Variables that Wendrel sets only for itself
// (how Qt draws its own windows, say) are set through setOwn, which keeps
// what they were, so the programs it starts get them as they were.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace wendrel {

class ProgramEnvironment {
public:
    // Sets name to value in this process's environment; started programs get
    // the value it had before (none when it was unset).
    void setOwn(const std::string& name, const std::string& value);
    // The current environment as NAME=value entries, with every own variable
    // put back as it was.
    std::vector<std::string> entries() const;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> before_;
};

} // namespace wendrel
