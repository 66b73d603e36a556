#pragma once
// The user's text editor for script files, the first of:
//   - $VISUAL, then $EDITOR (a command line, split as a shell would but never
//     run by one); an editor that works in a terminal (vi, nano, emacs -nw...)
//     is run in the first terminal emulator found;
//   - the desktop's default application for text/plain (xdg-mime names its
//     desktop entry; its Exec line is run with the file);
//   - the first common graphical editor found on PATH, or xdg-open.
#include <string>
#include <vector>

#include "script/Platform.h"

namespace wendrel {

class ProgramEnvironment;

class DesktopTextEditor : public TextEditorLauncher {
public:
    DesktopTextEditor();
    // Editors tried last, in order; tests may hand in their own list.
    explicit DesktopTextEditor(std::vector<std::string> candidates);
    std::optional<double> open(const std::string& path, std::string& failure) override;
    // The environment the editor gets; none set: this process's own.
    void setEnvironment(const ProgramEnvironment* environment) { environment_ = environment; }

private:
    std::vector<std::string> candidates_;
    const ProgramEnvironment* environment_ = nullptr;
};

} // namespace wendrel
