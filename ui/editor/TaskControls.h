#pragma once
// The editor's controls that hold a task's fields, and the copy between them
// and a task record. Each list stores its position: the record holds the
// position of the chosen entry, never its text.
class QComboBox;
class QLabel;
class QLineEdit;

namespace wendrel {

struct TaskRecord;

struct TaskControls {
    // Fills the eleven lists with their entries, none selected.
    void fillLists();
    // Shows the fields that the selected interval needs and hides the rest.
    void showIntervalFields();
    // Shows the task: texts without their blank fill, each list at its position.
    void load(const TaskRecord& r);
    // Copies every control into the task.
    void store(TaskRecord& r) const;

    QLineEdit* txtInput[2] = {nullptr, nullptr}; // name and comment; object names txtInput0, txtInput1
    QComboBox* cmbActive = nullptr;
    QComboBox* cmbScriptFiles = nullptr;
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
};

} // namespace wendrel
