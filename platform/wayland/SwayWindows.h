#pragma once
// Window services on sway, through its IPC socket ($SWAYSOCK): the windows of
// a started program are found by process id in sway's layout tree, and one of
// them is focused by its container id.
#include <optional>
#include <string>

#include "platform/wayland/WaylandSession.h"
#include "script/Platform.h"

namespace wendrel::wayland {

// A small client of sway's IPC: each message is the magic "i3-ipc", the
// length and the type of the payload (32-bit, in the machine's byte order),
// then the payload; each reply has the same form.
class SwayIpc {
public:
    explicit SwayIpc(std::string socketPath) : path_(std::move(socketPath)) {}
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    enum Type : unsigned { RunCommand = 0, GetTree = 4 };
    // The reply's payload; no value when sway cannot be reached or does not
    // answer within a few seconds.
    std::optional<std::string> request(Type type, const std::string& payload);

private:
    bool connectSocket();
    std::string path_;
    int fd_ = -1;
};

class SwayWindowActivator : public WindowActivator {
public:
    SwayWindowActivator(std::string socketPath, ProgramProcesses& programs)
        : ipc_(std::move(socketPath)), programs_(programs) {}

    // The program's windows are those of its process and its descendants. One
    // that has the focus keeps it; otherwise a visible one (else any, such as
    // one on another workspace or in the scratchpad) is focused, and the call
    // returns once sway reports it focused, or after kFocusWait.
    // NoSuchWindow once the program and its descendants have ended. While
    // they run without a window (a program slow to start shows none for a
    // few seconds), or sway cannot be reached, the program counts as shown,
    // so that RUN ...,1 waits for it to end.
    ActivateResult activate(double taskId, std::string& failure) override;
    // Whether the window sway has focused belongs to this process. Asked of
    // sway itself, which knows at once where activate moved the focus (the
    // toolkit hears of it only later). When sway cannot be reached, the
    // toolkit's word is taken.
    bool activeWindowIsOurs() override;

private:
    SwayIpc ipc_;
    ProgramProcesses& programs_;
};

} // namespace wendrel::wayland
