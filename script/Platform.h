#pragma once
// The services of the desktop that the core and the windows need, as small
// interfaces: the real ones live in platform/, tests use fakes. Every text
// crossing these interfaces is UTF-8.
#include <optional>
#include <span>
#include <string>

#include "model/DateTime.h"
#include "model/RunEvent.h"
#include "script/SendKeys.h"

namespace wendrel {

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Starts a program from a command line (split into words, never given to a
    // shell) in a normal window with the focus. Returns its task id (the
    // process id), or no value when it could not be started.
    virtual std::optional<double> start(const std::string& commandLine) = 0;
    // Whether the program started with this task id still runs: the started
    // process or any process it started. False for ids this launcher never
    // returned.
    virtual bool isRunning(double taskId) = 0;
    // How the started process itself ended; no value while it runs, and for
    // ids this launcher does not know (it remembers the most recent ones).
    virtual std::optional<ProgramExit> exitStatus(double taskId) = 0;
};

enum class ActivateResult { Ok, NoSuchWindow, Failed };

class WindowActivator {
public:
    virtual ~WindowActivator() = default;
    // Brings the top-level window of the program with this task id to the
    // front. NoSuchWindow when none belongs to it (the program has ended, or
    // shows no window); Failed with a description for anything else.
    virtual ActivateResult activate(double taskId, std::string& failure) = 0;
    // Whether the active window is one of this program's own windows. Asked
    // right after activate, without events processed in between: the answer
    // must already know where activate moved the focus.
    virtual bool activeWindowIsOurs() = 0;
};

// What became of the keystrokes handed to a KeySender.
struct KeysPressed {
    // The strokes that were not typed, in order, each as keyText writes it:
    // characters the keyboard layout cannot produce, and every stroke after
    // the typing was ended.
    std::string notTyped;
    // The desktop ended the typing (the user stopped it): the rest of the
    // line is not typed either. The next line may type again.
    bool ended = false;
};

class KeySender {
public:
    virtual ~KeySender() = default;
    // Presses these keystrokes in the active window, in order, without
    // waiting for them to be processed. Every modifier is released again by
    // the time it returns. The script engine hands a long text over in
    // chunks, so one call takes a fraction of a second. Nothing is left out
    // silently: what was not typed is returned.
    virtual KeysPressed press(std::span<const KeyStroke> strokes) = 0;
};

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Critical };
enum class MsgAnswer { Ok, Yes, No };

class SessionLock {
public:
    virtual ~SessionLock() = default;
    // Whether the user's session is locked (a screen locker is up): keys
    // pressed now would go to the locker, on X11 into its password field.
    // Asked before every chunk of keys, so it answers from what it already
    // knows.
    virtual bool locked() = 0;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A modal message box; with YesNo, Yes is the default button.
    virtual MsgAnswer show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) = 0;
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Processes the pending events of the user interface. When none are
    // pending, waits for one, but no longer than maxWaitSeconds.
    virtual void processEvents(double maxWaitSeconds) = 0;
};

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

// Everything the windows need from the desktop, bundled so that tests can hand
// in fakes (message boxes answered by the test, a fake clock...). Every
// service must be there, except loginStart and sessionLock: the windows use
// them unchecked.
struct Services {
    MessageBoxes* messages = nullptr;
    ProgramLauncher* launcher = nullptr;
    WindowActivator* activator = nullptr;
    KeySender* keys = nullptr;
    EventPump* pump = nullptr;
    const Clock* clock = nullptr;
    TextEditorLauncher* textEditor = nullptr;
    LoginStart* loginStart = nullptr;   // none: the Start at Login item is disabled
    SessionLock* sessionLock = nullptr; // none: the session is never taken as locked
};

} // namespace wendrel
