#pragma once
// Starts the programs of EXEC lines: the command line is split into words the
// way a shell would split them, but no shell ever sees it, so characters such
// as ; | $() and backquotes stay plain argument text.
#include "script/Platform.h"

namespace wendrel {

class DetachedLauncher : public ProgramLauncher {
public:
    std::optional<double> start(const std::string& commandLine) override;
};

} // namespace wendrel
