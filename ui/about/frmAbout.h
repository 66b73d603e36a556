#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace wendrel {

// The About window: the program's title between two lines and an OK button
// that unloads it. Opened without being modal.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Sets the caption; run when the window loads.
    void Form_Load();
    void cmdOK_Click();
    // Shows the folder that holds the task list, options, scripts and history.
    void setDataFolder(const QString& folder);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QFrame* Line1[2] = {nullptr, nullptr};
    QPushButton* cmdOK = nullptr;
    QLabel* lblFolder = nullptr;
};

} // namespace wendrel
