#pragma once
// The modal "Create new script" dialog of the task editor.
#include <QDialog>

namespace wendrel {

class frmDetail;

class frmAskFileName : public QDialog {
    Q_OBJECT
public:
    explicit frmAskFileName(frmDetail& editor);

private:
    frmDetail& editor_;
};

} // namespace wendrel
