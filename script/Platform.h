#pragma once
// The services of the desktop that the core needs, as small interfaces: the
// real ones live in platform/, tests use fakes. Every text crossing these
// interfaces is UTF-8.
#include <optional>
#include <string>

namespace wendrel {

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Starts a program from a command line (split into words, never given to a
    // shell) in a normal window with the focus. Returns its task id (the
    // process id), or no value when it could not be started.
    virtual std::optional<double> start(const std::string& commandLine) = 0;
};

enum class ActivateResult { Ok, NoSuchWindow, Failed };

class WindowActivator {
public:
    virtual ~WindowActivator() = default;
    // Brings the top-level window of the program with this task id to the
    // front. NoSuchWindow when none belongs to it (the program has ended, or
    // shows no window); Failed with a description for anything else.
    virtual ActivateResult activate(double taskId, std::string& failure) = 0;
};

class KeySender {
public:
    virtual ~KeySender() = default;
    // Sends keystrokes in the SendKeys notation to the active window, without
    // waiting for them to be processed.
    virtual void send(const std::string& keys) = 0;
};

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Critical };
enum class MsgAnswer { Ok, Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A modal message box; with YesNo, Yes is the default button.
    virtual MsgAnswer show(const std::string& text, const std::string& caption, MsgButtons buttons,
                           MsgIcon icon) = 0;
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Processes the pending events of the user interface. When none are
    // pending, waits for one, but no longer than maxWaitSeconds.
    virtual void processEvents(double maxWaitSeconds) = 0;
};

} // namespace wendrel
