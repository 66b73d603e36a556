#pragma once
// A main window on a temporary program folder with the fake desktop, shared
// by the widget tests, which also share the Qt headers and namespaces.
#include <QtTest>
#include <QtWidgets>

#include "tests/core/TempFolder.h"
#include "session/Session.h"
#include "tests/fakes/Fakes.h"
#include "ui/editor/frmDetail.h"
#include "ui/main/Form1.h"
#include "ui/main/MainMenus.h"
#include "ui/main/TaskGrid.h"
#include "ui/tray/Tray.h"

namespace wendrel::testing {

// One task line of Scripts.dat: a Daily task at 09:30.
inline std::string taskLine(const std::string& name, int active = 1) {
    return name + "~c~1~0~9~30~0~0~0~0~0~0~" + std::to_string(active) + "~t.wdx\r\n";
}
// Active Hourly tasks T1..Tcount without a script file.
inline std::string numberedTasks(int count) {
    std::string lines;
    for (int i = 1; i <= count; ++i) lines += "T" + std::to_string(i) + "~~0~0~0~0~0~0~0~0~0~0~1~\r\n";
    return lines;
}

// A mouse event at p in w, as the desktop delivers it.
inline void sendMouse(QWidget* w, QEvent::Type type, QPointF p, Qt::MouseButton button = Qt::NoButton,
                      Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent e(type, p, w->mapToGlobal(p), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

struct Rig : FakeDesktop {
    TempFolder dir;
    std::unique_ptr<Session> session;
    std::unique_ptr<Form1> form;

    General& g() { return session->general(); }
    // Creates and loads the window on a folder as it is. hasTray stands for a
    // desktop with (or without) a tray host; the services are the fakes unless given.
    Form1& open(const std::string& folder, bool hasTray = true, std::optional<Services> use = {}) {
        form.reset();
        session = std::make_unique<Session>(folder, use ? *use : services());
        form = std::make_unique<Form1>(*session, Form1::Options{false, false});
        form->tray()->setTrayAvailable([hasTray] { return hasTray; });
        form->tray()->setMenuOpener([] {});
        form->Form_Load();
        return *form;
    }
    // Writes the two files first.
    Form1& start(const std::string& tasks, const std::string& ini = " 0 \r\n 0 \r\n", bool hasTray = true) {
        writeAll(dir.file("Scripts.dat"), tasks);
        writeAll(dir.file("Scripts.ini"), ini);
        return open(dir.path(), hasTray);
    }
    bool show() {
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }

    frmDetail* editor() { return form->editor(); }
    // Runs act inside the editor's next modal show (act ends it); false if the
    // trigger (by default Edit) did not show the editor.
    bool inEditor(const std::function<void()>& act, std::function<void()> trigger = {}) {
        bool shown = false;
        QTimer::singleShot(0, editor(), [&] {
            if ((shown = editor()->isVisible())) act();
        });
        trigger ? trigger() : form->EditTask();
        QCoreApplication::processEvents();
        return shown;
    }
    bool cancelledEditor(std::function<void()> trigger = {}) {
        return inEditor([this] { editor()->cmdCancel_Click(); }, std::move(trigger));
    }

    void click(const char* button) { form->findChild<QAbstractButton*>(button)->click(); }
    // A grid cell's text without its blank fill.
    QString cell(int row, int col) {
        auto* i = form->grid().table()->item(row, col);
        return i ? i->text().trimmed() : QString();
    }
    std::string lastMessage() const { return messages.shown.empty() ? std::string() : messages.shown.back().text; }
};

} // namespace wendrel::testing

using namespace wendrel;
using namespace wendrel::testing;
