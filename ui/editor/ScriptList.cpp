#include "ui/editor/ScriptList.h"

#include <QComboBox>

#include "session/Session.h"
#include "store/ScriptFiles.h"
#include "ui/editor/frmDetail.h"

namespace wendrel {

QStringList scriptFileNames(const std::string& folder) {
    QStringList names;
    for (const std::string& leaf : listScriptFiles(folder)) names << QString::fromStdString(leaf);
    return names;
}

void frmDetail::FillScriptList(const QString& selectName, int& foundIndex) {
    const QStringList names = scriptFileNames(session_.folder());
    // Rebuilding the entries must not change the text in the box nor pick an
    // entry (and so must not touch the script button's caption).
    const QString text = cmbScriptFiles->currentText();
    cmbScriptFiles->blockSignals(true);
    while (cmbScriptFiles->count() > 0) cmbScriptFiles->removeItem(0);
    for (int k = 0; k < names.size(); ++k) {
        cmbScriptFiles->insertItem(k, names[k]);
        if (names[k] == selectName) foundIndex = k;
    }
    cmbScriptFiles->setCurrentIndex(-1);
    cmbScriptFiles->setEditText(text);
    cmbScriptFiles->blockSignals(false);
}

} // namespace wendrel
