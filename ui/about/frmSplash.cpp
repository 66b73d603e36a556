#include "ui/about/frmSplash.h"

namespace wendrel {

frmSplash::frmSplash(QWidget* parent) : QDialog(parent) { setObjectName("frmSplash"); }

void frmSplash::showModal(QWidget*) {}

} // namespace wendrel
