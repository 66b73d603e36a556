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
    // What is wrong with the name typed so far; empty while it is fine.
    QLabel* lblNameProblem = nullptr;
    QPushButton* cmdCreate = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Checks the name as it is typed: the problem shows under the box and
    // Create waits until it is gone.
    void txtNewScriptName_Change();

    Session& session_;
    frmDetail& editor_;
};

} // namespace wendrel
