#include "ui/editor/frmDetail.h"

#include "ui/main/Form1.h"

namespace wendrel {

frmDetail::frmDetail(Form1& main) : QDialog(&main), main_(main) {
    setObjectName("frmDetail");
    setWindowTitle("Task Details");
}

} // namespace wendrel
