#pragma once
// Everything the windows need from the desktop, bundled so that tests can hand
// in fakes (message boxes answered by the test, a fake clock...).
#include "model/DateTime.h"
#include "script/Platform.h"

namespace wendrel {

class TextEditorLauncher {
public:
    virtual ~TextEditorLauncher() = default;
    // Opens a file in the desktop's text editor, not waiting for it. Returns
    // the editor's task id, or no value with a reason when none could start.
    virtual std::optional<double> open(const std::string& path, std::string& failure) = 0;
};

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void showHelp() = 0;
};

struct Services {
    MessageBoxes* messages = nullptr;
    ProgramLauncher* launcher = nullptr;
    WindowActivator* activator = nullptr;
    KeySender* keys = nullptr;
    EventPump* pump = nullptr;
    const Clock* clock = nullptr;
    TextEditorLauncher* textEditor = nullptr;
    HelpViewer* help = nullptr;
};

} // namespace wendrel
