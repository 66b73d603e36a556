#pragma once
// The modal "Create new script" dialog of the task editor: names a new
// script file and writes its header line.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace wendrel {

class frmDetail;
class Session;

class frmAskFileName : public QDialog {
    Q_OBJECT
public:
    frmAskFileName(Session& session, frmDetail& editor);

    // Clears the name box and puts the focus into it (every activation).
    void Form_Activate();
    void cmdCreate_Click();
    void cmdCancel_Click();

    QLabel* Label1 = nullptr;
    QLineEdit* txtNewScriptName = nullptr;
    QPushButton* cmdCreate = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Session& session_;
    frmDetail& editor_;
};

} // namespace wendrel
