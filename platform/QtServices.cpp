#include "platform/QtServices.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

namespace wendrel {

void QtEventPump::processEvents(double maxWaitSeconds) {
    // Process what is pending; if nothing was, sleep in the event dispatcher
    // until an event arrives or the wait is over, so waiting costs no CPU.
    const int ms = maxWaitSeconds <= 0 ? 0 : static_cast<int>(maxWaitSeconds * 1000.0 + 0.5);
    if (ms <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(ms);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

MsgAnswer QtMessageBoxes::show(const std::string& text, const std::string& caption, MsgButtons buttons,
                               MsgIcon icon) {
    QMessageBox box(icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::NoButton,
                    parent_.data());
    box.setObjectName("MessageBox");
    box.setTextFormat(Qt::PlainText);
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int r = box.exec();
    if (buttons == MsgButtons::YesNo) return r == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    return MsgAnswer::Ok;
}

} // namespace wendrel
