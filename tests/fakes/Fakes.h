#pragma once
// Fakes of the desktop services for tests: a clock the test sets, message
// boxes answered by the test, and launchers and key senders that record;
// FakeDesktop bundles one of each.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/DateTime.h"
#include "script/Platform.h"
#include "script/ScriptEngine.h"

namespace wendrel {

// Local time is UTC for this clock; the scheduler's tests have a zoned one.
class FakeClock : public Clock {
public:
    DateTime wall{2026, 12, 6, 9, 30, 0};
    double mono = 1000.0;
    DateTime now() const override { return wall; }
    double monotonicSeconds() const override { return mono; }
    // Moves all clocks forward.
    void advance(double seconds) {
        mono += seconds;
        wallFraction_ += seconds;
        const auto whole = static_cast<std::int64_t>(wallFraction_);
        wallFraction_ -= static_cast<double>(whole);
        wall = DateTime::fromSerialSeconds(wall.serialSeconds() + whole);
    }

private:
    double wallFraction_ = 0;
};

struct ShownMessage {
    std::string text, caption;
};

struct FakeMessageBoxes : MessageBoxes {
    std::vector<ShownMessage> shown;
    std::deque<MsgAnswer> answers; // answers for Yes/No questions, in order; then Yes
    MsgAnswer show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon) override {
        shown.push_back({text, caption});
        if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
        if (answers.empty()) return MsgAnswer::Yes;
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    // The texts of the boxes shown, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const ShownMessage& m : shown) t.push_back(m.text);
        return t;
    }
};

struct FakeLauncher : ProgramLauncher {
    std::vector<std::string> started;
    double nextId = 100;
    bool fail = false;
    // isRunning answers yes this many times for an id, then no.
    std::map<double, int> runsFor;
    std::optional<double> start(const std::string& commandLine) override {
        started.push_back(commandLine);
        return fail ? std::nullopt : std::optional<double>(nextId++);
    }
    bool isRunning(double taskId) override { return runsFor[taskId]-- > 0; }
    std::optional<ProgramExit> exitStatus(double) override { return std::nullopt; }
};

struct FakeActivator : WindowActivator {
    std::vector<double> activated;
    // Activations of an id succeed this many times, then report no window.
    std::map<double, int> windowsLeft;
    std::string failWith; // when set, every activation fails with it
    bool ourWindowActive = false;
    bool activeWindowIsOurs() override { return ourWindowActive; }
    ActivateResult activate(double taskId, std::string& failure) override {
        activated.push_back(taskId);
        failure = failWith;
        if (!failWith.empty()) return ActivateResult::Failed;
        return windowsLeft[taskId]-- > 0 ? ActivateResult::Ok : ActivateResult::NoSuchWindow;
    }
};

struct FakeTextEditor : TextEditorLauncher {
    std::vector<std::string> opened;
    bool fail = false;
    std::optional<double> open(const std::string& path, std::string& failure) override {
        opened.push_back(path);
        if (fail) failure = "no editor for " + path;
        return fail ? std::nullopt : std::optional<double>(77.0);
    }
};

// Records the strokes of each call (call 1, 2...) as one text in keyText's
// notation; modifiers are the key parser's own concern and left out. The
// characters in cannotType are left out and reported; endInCall ends the
// typing (as a user's stop would) in that call.
struct FakeKeys : KeySender {
    std::vector<std::string> sent;
    std::u32string cannotType;
    int endInCall = 0;
    KeysPressed press(std::span<const KeyStroke> strokes) override {
        KeysPressed result{.notTyped = {}, .ended = static_cast<int>(sent.size()) + 1 == endInCall};
        std::string& text = sent.emplace_back();
        for (const KeyStroke& k : strokes)
            (result.ended || cannotType.find(k.character) != std::u32string::npos ? result.notTyped : text) +=
                keyText(k);
        return result;
    }
};

struct FakeSessionLock : SessionLock {
    bool on = false;
    bool locked() override { return on; }
};

// Event processing that advances the fake clock by the time it may wait, and
// runs a hook (a nested tick, a user action) on each pass.
struct FakePump : EventPump {
    explicit FakePump(FakeClock& clock) : clock(clock) {}
    int passes = 0;
    std::function<void()> onPass;
    void processEvents(double maxWaitSeconds) override {
        ++passes;
        clock.advance(maxWaitSeconds > 0 ? maxWaitSeconds : 0.001);
        if (onPass) onPass();
    }
    FakeClock& clock;
};

// One fake of every service, for a window (services()) or for the script
// engine (environment()).
struct FakeDesktop {
    FakeClock clock;
    FakePump pump{clock};
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    FakeTextEditor textEditor;
    FakeSessionLock sessionLock;
    Services services() {
        return {&messages, &launcher, &activator, &keys, &pump, &clock, &textEditor, nullptr, &sessionLock};
    }
    ScriptEnvironment environment() { return {launcher, activator, keys, messages, pump, clock, &sessionLock}; }
};

} // namespace wendrel
