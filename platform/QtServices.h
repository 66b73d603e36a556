#pragma once
// The desktop services that Qt itself provides: clocks, event processing and
// message boxes.
#include <QElapsedTimer>
#include <QWidget>
#include <QPointer>

#include "model/DateTime.h"
#include "script/Platform.h"

namespace wendrel {

class SystemClock : public Clock {
public:
    SystemClock() { monotonic_.start(); }
    DateTime now() const override;
    double monotonicSeconds() const override;

private:
    QElapsedTimer monotonic_;
};

class QtEventPump : public EventPump {
public:
    void processEvents(double maxWaitSeconds) override;
};

class QtMessageBoxes : public MessageBoxes {
public:
    // parent: the window the boxes belong to (may be null).
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    MsgAnswer show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace wendrel
