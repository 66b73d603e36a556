#pragma once
// The desktop services that Qt itself provides: event processing and message
// boxes. (The clock is platform/SystemClock.h.)
#include <QWidget>
#include <QPointer>

#include "platform/SystemClock.h"
#include "script/Platform.h"

namespace wendrel {

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
