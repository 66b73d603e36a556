#include "ui/editor/frmDetail.h"

#include "ui/editor/frmAskFileName.h"
#include "ui/main/Form1.h"

namespace wendrel {

frmDetail::frmDetail(Form1& main) : QDialog(&main), main_(main) {
    setObjectName("frmDetail");
    setWindowTitle("Task Details");
}

frmDetail::~frmDetail() = default;

void frmDetail::Form_Load() {}
void frmDetail::Form_Activate() {}
void frmDetail::cmbInterval_Click() {}
void frmDetail::cmdSave_Click() { hide(); }
void frmDetail::cmdCancel_Click() { hide(); }
void frmDetail::cmbScriptFiles_Click() {}
void frmDetail::StoreTaskFromEditor(int) {}

} // namespace wendrel
