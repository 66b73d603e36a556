#include "ui/about/frmHelp.h"

#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/Twips.h"
#include "ui/about/Artwork.h"

namespace wendrel {

QUrl frmHelp::documentUrl() { return QUrl("qrc:/help/wendrel-help.html"); }

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    initResources();
    setObjectName("frmHelp");
    setWindowTitle("Wendrel Help");
    setWindowIcon(programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setModal(false);
    resize(withinScreen(QSize(twipsX(9000), twipsY(8400))));

    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName("txtHelp");
    // Links inside the document move within it; nothing goes outside.
    txtHelp->setOpenExternalLinks(false);
    txtHelp->setOpenLinks(true);
    txtHelp->setSource(documentUrl());
    if (txtHelp->document()->isEmpty()) txtHelp->setPlainText("The help document could not be loaded.");

    cmdClose = new QPushButton("Close", this);
    cmdClose->setObjectName("cmdClose");
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    lblFolder = new QLabel(this);
    lblFolder->setObjectName("lblFolder");
    lblFolder->setTextFormat(Qt::PlainText);
    lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFolder->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtHelp);
    layout->addWidget(lblFolder);
    layout->addWidget(cmdClose, 0, Qt::AlignRight);
}

void frmHelp::setDataFolder(const QString& folder) {
    lblFolder->setText("Your task list, options, scripts and run history are kept in " + folder);
}

frmHelp* frmHelp::showFor(QWidget* parent) {
    auto* help = parent ? parent->findChild<frmHelp*>("frmHelp", Qt::FindDirectChildrenOnly) : nullptr;
    if (!help) help = new frmHelp(parent);
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

} // namespace wendrel
