#pragma once
#include <QDialog>

namespace wendrel {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};

} // namespace wendrel
