#include "ui/about/frmAbout.h"

namespace wendrel {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) { setObjectName("frmAbout"); }

} // namespace wendrel
