#pragma once
// A main window on a temporary program folder with fake services, shared by
// the tray, hint and option tests.
#include <QAction>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "ui/main/Form1.h"
#include "ui/tray/Tray.h"

namespace wendrel::testing {

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
// One task line of Scripts.dat: a Daily task at 09:30.
inline std::string taskLine(const std::string& name, int active) {
    return name + "~c~1~0~9~30~0~0~0~0~0~0~" + std::to_string(active) + "~t.wdx";
}

struct Rig {
    TempFolder dir;
    FakeClock clock;
    FakePump pump{clock};
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    General g;
    std::unique_ptr<Form1> form;

    Services services() {
        Services s;
        s.messages = &messages;
        s.launcher = &launcher;
        s.activator = &activator;
        s.keys = &keys;
        s.pump = &pump;
        s.clock = &clock;
        return s;
    }
    // Writes the two files, then creates and loads the window. hasTray
    // stands for a desktop with (or without) a tray host.
    Form1& start(const std::string& tasks, const std::string& ini = " 0 \r\n 0 \r\n", bool hasTray = true) {
        writeAll(dir.file("Scripts.dat"), tasks);
        writeAll(dir.file("Scripts.ini"), ini);
        form = std::make_unique<Form1>(g, dir.path(), services(), Form1::Options{false, false});
        form->tray()->setTrayAvailable([hasTray] { return hasTray; });
        form->tray()->setMenuOpener([] {});
        form->Form_Load();
        return *form;
    }
};

} // namespace wendrel::testing
