#pragma once
// The real desktop services of the program, owned in one place and handed to
// the windows as a Services bundle.
#include <memory>

class QWidget;

#include "ui/Services.h"

namespace wendrel {

class Desktop {
public:
    Desktop();
    ~Desktop();
    Services services();
    // The window that message boxes belong to.
    void setMainWindow(QWidget* window);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace wendrel
