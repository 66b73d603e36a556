#pragma once
#include <QDialog>

class QLabel;
class QTextBrowser;
class QPushButton;

namespace wendrel {

// The help window: the program's own help document, shipped inside the
// program, shown without any network or outside viewer.
class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);
    // Opens the help window of parent (one per window), or brings it forward.
    static frmHelp* showFor(QWidget* parent);
    // The document's address inside the program.
    static QUrl documentUrl();
    // Shows the folder that holds the task list, options, scripts and history.
    void setDataFolder(const QString& folder);

    QTextBrowser* txtHelp = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblFolder = nullptr;
};

} // namespace wendrel
