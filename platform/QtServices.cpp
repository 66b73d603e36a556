#include "platform/QtServices.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
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

MsgAnswer QtMessageBoxes::show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) {
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
    // A box sized to a short text is narrower than its caption, and window
    // managers then elide the title ("We...00"). Reserve room for the caption
    // in the title bar's (often bold, larger) font plus the frame's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        QFont titleFont = QApplication::font();
        titleFont.setBold(true);
        const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) * 5 / 4 + 200;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    const int r = box.exec();
    if (buttons == MsgButtons::YesNo) return r == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    return MsgAnswer::Ok;
}

} // namespace wendrel
