// The editor's Create/Edit Script button.
#include <QComboBox>

#include "model/TextFile.h"
#include "session/Session.h"
#include "store/ScriptFiles.h"
#include "ui/editor/frmAskFileName.h"
#include "ui/editor/frmDetail.h"

namespace wendrel {

namespace {
QString withoutTrailingBlanks(QString s) {
    while (!s.isEmpty() && s.back() == QChar(' ')) s.chop(1);
    return s;
}
} // namespace

void frmDetail::cmdEditScript_Click() {
    QString name = withoutTrailingBlanks(cmbScriptFiles->currentText());
    if (name.isEmpty()) {
        // Everything typed so far goes into the slot first: the editor loads
        // its controls from the slot again once the dialog has closed.
        StoreTaskFromEditor(currentSlot());
        frmAskFileName* ask = askFileName();
        ask->exec();
        Form_Activate();
        name = withoutTrailingBlanks(cmbScriptFiles->currentText());
    }
    if (name.isEmpty()) return;

    const Services& s = session_.services();
    // Only a file of the program's folder is opened (a task list edited by
    // hand may name another).
    if (const auto problem = scriptNameProblem(name.toStdString())) {
        s.messages->show(*problem, "Wendrel 1.00", MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    const std::string path = joinPath(session_.folder(), name.toStdString());
    std::string failure = "No text editor is available to open " + path + ".";
    const std::optional<double> id = s.textEditor->open(path, failure);
    if (!id) {
        s.messages->show(failure, "Wendrel 1.00", MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    std::string ignored; // the editor may not have a window yet; it raises itself then
    s.activator->activate(*id, ignored);
}

frmAskFileName* frmDetail::askFileName() {
    if (!askFileName_) askFileName_ = new frmAskFileName(session_, *this);
    return askFileName_;
}

} // namespace wendrel
