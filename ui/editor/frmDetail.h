#pragma once
// The task editor "Task Details": edits the task of the main grid's current
// row. Loaded when first shown, then only hidden and shown again.
//
//   frmDetail.cpp    controls, lists, layout rule, loading, Save and Cancel
//   EditScript.cpp   the Create/Edit Script button and its new-script dialog
#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace wendrel {

class Form1;
class frmAskFileName;

class frmDetail : public QDialog {
    Q_OBJECT
public:
    explicit frmDetail(Form1& main);
    ~frmDetail() override;

    // Fills the eleven lists (once, when the window is loaded).
    void Form_Load();
    // Loads the task of the grid's current row into the controls.
    void Form_Activate();
    // Shows the fields that the selected interval needs.
    void cmbInterval_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmbScriptFiles_Click();
    void cmdEditScript_Click();
    // Copies every control into slot n.
    void StoreTaskFromEditor(int n);
    // Refills cmbScriptFiles with the *.wdx files of the program folder;
    // foundIndex is written only when a listed name equals selectName exactly.
    void FillScriptList(const QString& selectName, int& foundIndex);

    frmAskFileName* askFileName(); // loaded when first needed
    Form1& mainWindow() { return main_; }

    QLabel* Label10 = nullptr;
    QLineEdit* txtInput[2] = {nullptr, nullptr}; // object names txtInput0, txtInput1
    QLabel* Label9 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cmbActive = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cmbScriptFiles = nullptr;
    QPushButton* cmdEditScript = nullptr;
    QLabel* Label8 = nullptr;
    QComboBox* cmbInterval = nullptr;
    QComboBox* cmbMinsPastHour = nullptr;
    QLabel* lblMinsPastHour = nullptr;
    QComboBox* cmbDayofMonth = nullptr;
    QLabel* lblDayofMonth = nullptr;
    QLabel* lblOther = nullptr;
    QComboBox* cmbDayofWeek = nullptr;
    QComboBox* cmbOther = nullptr;
    QComboBox* cmbMSOption = nullptr;
    QLabel* lblTime = nullptr;
    QComboBox* cmbTimeHour = nullptr;
    QComboBox* cmbTimeMinute = nullptr;
    QLabel* lblTime1 = nullptr;
    QLabel* lblDate = nullptr;
    QComboBox* cmbDateMonth = nullptr;
    QComboBox* cmbDateDay = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Escape and the window frame's close box act as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Form1& main_;
    QPointer<frmAskFileName> askFileName_;
};

} // namespace wendrel
