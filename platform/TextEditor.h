#pragma once
// The desktop's text editor for script files: the first common graphical
// editor found on PATH, or xdg-open when none is installed.
#include <string>
#include <vector>

#include "script/Platform.h"

namespace wendrel {

class ProgramEnvironment;

class DesktopTextEditor : public TextEditorLauncher {
public:
    DesktopTextEditor();
    // Editors tried in order; tests may hand in their own list.
    explicit DesktopTextEditor(std::vector<std::string> candidates);
    std::optional<double> open(const std::string& path, std::string& failure) override;
    // The environment the editor gets; none set: this process's own.
    void setEnvironment(const ProgramEnvironment* environment) { environment_ = environment; }

private:
    std::vector<std::string> candidates_;
    const ProgramEnvironment* environment_ = nullptr;
};

} // namespace wendrel
