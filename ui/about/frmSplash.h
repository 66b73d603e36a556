#pragma once
#include <QDialog>

namespace wendrel {

class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    // Shows the splash window modally; it closes itself once it is on screen.
    static void showModal(QWidget* parent);
};

} // namespace wendrel
