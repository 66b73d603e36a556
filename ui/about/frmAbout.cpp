#include "ui/about/frmAbout.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "ui/Twips.h"
#include "ui/about/Artwork.h"

namespace wendrel {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    // A fixed little window: a title and a close box, nothing to enlarge.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // OK unloads the window: it is destroyed, the next About makes a new one.
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowIcon(programIcon());

    picIcon = new QLabel(this);
    picIcon->setObjectName("picIcon");

    lblTitle = new QLabel("Wendrel Version 1.00", this);
    lblTitle->setObjectName("lblTitle");
    QFont f = lblTitle->font();
    f.setPointSizeF(std::max(12.0, f.pointSizeF() * 1.5));
    f.setBold(true);
    lblTitle->setFont(f);

    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);

    lblFolder = new QLabel(this);
    lblFolder->setObjectName("lblFolder");
    lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);

    TwipsLayout layout;
    layout.add(picIcon, QRect(240, 240, 720, 720));
    layout.add(lblTitle, QRect(1200, 360, 4000, 480));
    layout.add(lblFolder, QRect(240, 1320, 4920, 300));
    layout.add(cmdOK, QRect(3960, 1680, 1200, 375));
    layout.apply();
    setFixedSize(layout.x(5400), layout.y(2400));
    picIcon->setPixmap(programIcon().pixmap(picIcon->size()));

    // The two drawn lines: a dark one with a light one under it, an etched rule.
    const QString colours[2] = {"#808080", "#ffffff"};
    for (int i = 0; i < 2; ++i) {
        Line1[i] = new QFrame(this);
        Line1[i]->setObjectName("Line1");
        Line1[i]->setProperty("Index", i);
        Line1[i]->setFrameShape(QFrame::NoFrame);
        Line1[i]->setStyleSheet("background: " + colours[i] + ";");
        Line1[i]->setGeometry(layout.x(240), layout.y(1200) + i, layout.x(240 + 4920) - layout.x(240), 1);
    }

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Form_Load();
}

void frmAbout::Form_Load() { setWindowTitle("About Wendrel 1.00"); }

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::setDataFolder(const QString& folder) {
    // A long path loses its middle; the tip shows all of it.
    const QString text = "Folder: " + folder;
    lblFolder->setText(lblFolder->fontMetrics().elidedText(text, Qt::ElideMiddle, lblFolder->width()));
    lblFolder->setToolTip("The task list, options, scripts and run history are kept in " + folder);
}

} // namespace wendrel
