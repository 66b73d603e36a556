#pragma once
// The real desktop services of the program, owned in one place and handed to
// the windows as a Services bundle.
#include <functional>
#include <memory>
#include <string>

class QWidget;

#include "script/Platform.h"

namespace wendrel {

class OutputCaptures;
class ProgramEnvironment;

class Desktop {
public:
    // environment: what started programs get (see ProgramEnvironment); none:
    // this process's own.
    explicit Desktop(const ProgramEnvironment* environment = nullptr);
    ~Desktop();
    Services services();
    // The window that message boxes belong to.
    void setMainWindow(QWidget* window);
    // Where the services tell the user, once, of something the desktop
    // cannot do (such as sending keystrokes in this session).
    void setNoticeHandler(std::function<void(const std::string&)> notice);
    // Where the scripts' programs write their output (see OutputCaptures).
    void setOutputCaptures(OutputCaptures* captures);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace wendrel
