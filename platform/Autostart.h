#pragma once
// Starting at login through the desktop's autostart folder: the program
// starts at login exactly when its entry, wendrel.desktop, is there.
#include <string>

#include "script/Platform.h"

namespace wendrel {

class XdgAutostart : public LoginStart {
public:
    // entryPath: the autostart entry; executable: the program it starts.
    XdgAutostart(std::string entryPath, std::string executable)
        : entryPath_(std::move(entryPath)), executable_(std::move(executable)) {}

    // $XDG_CONFIG_HOME/autostart/wendrel.desktop when that is an absolute
    // path, else ~/.config/autostart/wendrel.desktop; empty without a home.
    static std::string defaultEntryPath();

    bool isEnabled() const override;
    bool setEnabled(bool on, std::string& failure) override;
    const std::string& entryPath() const { return entryPath_; }

private:
    std::string entryPath_;
    std::string executable_;
};

} // namespace wendrel
