// The editor's Create/Edit Script button.
#include "ui/editor/frmAskFileName.h"
#include "ui/editor/frmDetail.h"

namespace wendrel {

void frmDetail::cmdEditScript_Click() {}

frmAskFileName* frmDetail::askFileName() {
    if (!askFileName_) askFileName_ = new frmAskFileName(*this);
    return askFileName_;
}

} // namespace wendrel
