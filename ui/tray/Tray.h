#pragma once
// Standby in the system tray: the icon, its menu and the hook state that
// routes the icon's clicks to the main window.
namespace wendrel {

class Form1;

class TrayController {
public:
    explicit TrayController(Form1& form) : form_(form) {}
    // Removes the icon before the program ends.
    void removeBeforeExit() {}
    // True while the main window is hidden behind the tray icon.
    bool inStandby() const { return false; }

private:
    Form1& form_;
};

} // namespace wendrel
