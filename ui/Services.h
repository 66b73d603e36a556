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

class LoginStart {
public:
    virtual ~LoginStart() = default;
    // Whether the program starts when the user logs in to the desktop.
    virtual bool isEnabled() const = 0;
    // Switches that on or off; false, with the reason, when it could not be done.
    virtual bool setEnabled(bool on, std::string& failure) = 0;
};

struct Services {
    MessageBoxes* messages = nullptr;
    ProgramLauncher* launcher = nullptr;
    WindowActivator* activator = nullptr;
    KeySender* keys = nullptr;
    EventPump* pump = nullptr;
    const Clock* clock = nullptr;
    TextEditorLauncher* textEditor = nullptr;
    LoginStart* loginStart = nullptr;  // none: the Start at Login item is disabled
};

} // namespace wendrel
