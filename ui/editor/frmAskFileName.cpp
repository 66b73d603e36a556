#include "ui/editor/frmAskFileName.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTime>

#include "model/TextFile.h"
#include "session/Session.h"
#include "store/ScriptFiles.h"
#include "ui/Text.h"
#include "ui/Twips.h"
#include "ui/editor/frmDetail.h"

namespace wendrel {

frmAskFileName::frmAskFileName(Session& session, frmDetail& editor)
    : QDialog(&editor), session_(session), editor_(editor) {
    setObjectName("frmAskFileName");
    setWindowTitle("Create new script");
    setModal(true);
    // A fixed window: a title and a close box, nothing to resize or enlarge.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Label1 = new QLabel("Please enter the filename of the new script.", this);
    Label1->setObjectName("Label1");
    txtNewScriptName = new QLineEdit(this);
    txtNewScriptName->setObjectName("txtNewScriptName");
    txtNewScriptName->setMaxLength(32767);
    lblNameProblem = new QLabel(this);
    lblNameProblem->setObjectName("lblNameProblem");
    lblNameProblem->setWordWrap(true);
    cmdCreate = new QPushButton("Create &File", this);
    cmdCreate->setObjectName("cmdCreate");
    cmdCancel = new QPushButton("&Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    TwipsLayout layout;
    layout.add(Label1, QRect(240, 120, 3855, 375));
    layout.add(txtNewScriptName, QRect(1080, 600, 2055, 320));
    layout.add(lblNameProblem, QRect(240, 930, 3855, 255));
    layout.add(cmdCreate, QRect(720, 1200, 1335, 375));
    layout.add(cmdCancel, QRect(2160, 1200, 1335, 375));
    layout.apply();
    setFixedSize(layout.x(4245), layout.y(1815));
    setTabOrder(txtNewScriptName, cmdCreate);
    setTabOrder(cmdCreate, cmdCancel);

    connect(txtNewScriptName, &QLineEdit::textChanged, this, [this] { txtNewScriptName_Change(); });
    connect(cmdCreate, &QPushButton::clicked, this, [this] { cmdCreate_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmAskFileName::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

void frmAskFileName::Form_Activate() {
    txtNewScriptName->clear();
    txtNewScriptName->setFocus();
}

void frmAskFileName::cmdCancel_Click() { hide(); }

void frmAskFileName::txtNewScriptName_Change() {
    const QString typed = txtNewScriptName->text();
    const auto problem = typed.isEmpty() ? std::nullopt : scriptNameProblem(withScriptExtension(typed.toStdString()));
    const QString text = problem ? QString::fromStdString(*problem) : QString();
    lblNameProblem->setText(text);
    lblNameProblem->setToolTip(text);
    cmdCreate->setEnabled(!problem);
}

void frmAskFileName::cmdCreate_Click() {
    const QString typed = txtNewScriptName->text(); // as typed, not trimmed
    if (typed.isEmpty()) {
        hide();
        return;
    }
    const std::string leaf = withScriptExtension(typed.toStdString());
    const QString name = QString::fromStdString(leaf);
    MessageBoxes* messages = session_.services().messages;
    // A name the task cannot hold whole, or that would lead out of the
    // folder, is refused; the dialog stays open for another.
    if (const auto problem = scriptNameProblem(leaf)) {
        messages->show(*problem, "Create new script", MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    const std::string path = joinPath(session_.folder(), leaf);
    if (fileExists(path)) {
        const MsgAnswer a = messages->show(leaf + " already exists. OK to overwrite ?", "File already exists",
                                           MsgButtons::YesNo, MsgIcon::None);
        if (a != MsgAnswer::Yes) return;
    }

    const QLocale locale = QLocale::system();
    const DateTime now = session_.services().clock->now();
    const QDate date(now.year, now.month, now.day);
    const QTime time(now.hour, now.minute, now.second);
    const QString header = "' " + name + " created on " + locale.toString(date, QLocale::ShortFormat) + " at " +
                           locale.toString(time, QLocale::LongFormat) + "\r\n";
    const std::string failure = createScriptFile(session_.folder(), leaf, header.toStdString());
    if (!failure.empty()) {
        // The dialog stays open so another name can be tried.
        messages->show("The script file " + path + " could not be created: " + failure, "Create new script",
                       MsgButtons::Ok, MsgIcon::Critical);
        return;
    }

    int k = 0;
    editor_.FillScriptList(name, k);
    editor_.cmbScriptFiles->setCurrentIndex(k);
    editor_.cmbScriptFiles_Click();
    session_.setScriptFile(editor_.currentSlot(), name.toStdString());
    hide();
}

} // namespace wendrel
