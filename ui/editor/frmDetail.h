#pragma once
// The task editor "Task Details".
#include <QDialog>

namespace wendrel {

class Form1;

class frmDetail : public QDialog {
    Q_OBJECT
public:
    explicit frmDetail(Form1& main);

private:
    Form1& main_;
};

} // namespace wendrel
