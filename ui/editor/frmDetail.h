#pragma once
// The task editor "Task Details": edits the task of the main grid's current
// row. Loaded when first shown, then only hidden and shown again.
//
//   frmDetail.cpp      controls, layout, loading, Save and Cancel
//   TaskControls.*     the task's fields: their lists, which ones the interval
//                      shows, the copy between them and a task record
//   EditScript.cpp     the Create/Edit Script button and its new-script dialog
//   ScriptList.*       the script box's list of script files
#include <QDialog>
#include <QPointer>
#include <functional>

#include "ui/editor/TaskControls.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace wendrel {

class Session;
class frmAskFileName;

class frmDetail : public QDialog, public TaskControls {
    Q_OBJECT
public:
    // What the editor needs of the main window: the slot it edits (the grid's
    // current row's), and the grid's upkeep after a Save of slot n and after
    // Cancel took a new task away again.
    struct Host {
        std::function<int()> currentSlot;
        std::function<void(int n)> saved;
        std::function<void()> newTaskDropped;
    };

    frmDetail(Session& session, Host host, QWidget* parent);
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
    // The slot of the main grid's current row.
    int currentSlot() const;
    // Refills cmbScriptFiles with the *.wdx files of the program folder;
    // foundIndex is written only when a listed name equals selectName exactly.
    void FillScriptList(const QString& selectName, int& foundIndex);

    frmAskFileName* askFileName(); // loaded when first needed
    Session& session() { return session_; }

    QLabel* Label10 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdEditScript = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Escape and the window frame's close box act as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Create Script while the script box is empty, Edit Script otherwise.
    void showScriptButtonCaption();
    Session& session_;
    Host host_;
    QPointer<frmAskFileName> askFileName_;
};

} // namespace wendrel
