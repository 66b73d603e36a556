#pragma once
// Window services on KDE Plasma: KWin runs small scripts of ours (through its
// scripting interface on the session bus) that activate the program's window,
// found by process id, and tell us which process the active window belongs to.
#include <memory>
#include <optional>
#include <string>

#include <QString>
#include <QThread>

#include "platform/wayland/WaylandSession.h"
#include "script/Platform.h"

namespace wendrel::wayland {

class KwinWindowActivator : public WindowActivator {
public:
    explicit KwinWindowActivator(ProgramProcesses& programs);
    ~KwinWindowActivator() override;
    KwinWindowActivator(const KwinWindowActivator&) = delete;
    KwinWindowActivator& operator=(const KwinWindowActivator&) = delete;

    // Asks KWin to activate a window of the program (its process or a
    // descendant), unminimizing it. A program without a window (one still
    // starting) counts as shown while it runs: NoSuchWindow once it and its
    // descendants have ended.
    ActivateResult activate(double taskId, std::string& failure) override;
    // KWin's own answer, reported back by a script; the toolkit's word when
    // KWin does not answer within kReportWaitMilliseconds.
    bool activeWindowIsOurs() override;

    // KWin reports within a few milliseconds.
    static constexpr int kReportWaitMilliseconds = 500;
    static constexpr int kMissedReportsBeforeGivingUp = 3;

    class Receiver;

private:
    // Runs the script in KWin, which then reports the process of the active
    // window back to us: no value when no report came in time.
    std::optional<int> runScript(const QString& body);

    ProgramProcesses& programs_;
    std::unique_ptr<Receiver> receiver_;
    QThread receiverThread_;
    int missedReports_ = 0;
};

} // namespace wendrel::wayland
