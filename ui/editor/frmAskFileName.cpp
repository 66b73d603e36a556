#include "ui/editor/frmAskFileName.h"

#include "ui/editor/frmDetail.h"

namespace wendrel {

frmAskFileName::frmAskFileName(frmDetail& editor) : QDialog(&editor), editor_(editor) {
    setObjectName("frmAskFileName");
    setWindowTitle("Create new script");
}

} // namespace wendrel
