// Creating a script file from the task editor and opening it in the text
// editor; the create dialog is answered by the test while it is modal.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "platform/TextEditor.h"
#include "tests/ui/MainWindowRig.h"
#include "ui/editor/frmAskFileName.h"
#include "ui/editor/frmDetail.h"

using namespace wendrel;
using namespace wendrel::testing;

namespace {

struct EditorRig : Rig {
    frmDetail* editor = nullptr;
    EditorRig() {
        start("Backup~Nightly~1~0~0~2~30~0~0~0~0~0~1~\r\n");
        editor = form->editor();
        editor->show();
    }

    // Presses the script button with an empty box; the dialog gets typed
    // names in turn (each followed by Create File) until it has closed.
    void create(QStringList typed) {
        editor->cmbScriptFiles->setEditText(QString());
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, editor, [&] {
            frmAskFileName* ask = editor->askFileName();
            if (!ask->isVisible()) return;
            if (typed.isEmpty()) {
                ask->cmdCancel->click();
            } else {
                ask->txtNewScriptName->setText(typed.takeFirst());
                ask->cmdCreate->click();
            }
        });
        answer.start(0);
        editor->cmdEditScript_Click();
    }
    std::string header(const std::string& name) {
        QLocale l = QLocale::system();
        return "' " + name + " created on " + l.toString(QDate(2026, 12, 6), QLocale::ShortFormat).toStdString() +
               " at " + l.toString(QTime(9, 30, 0), QLocale::LongFormat).toStdString() + "\r\n";
    }
};

} // namespace

class ScriptFileTest : public QObject {
    Q_OBJECT

private slots:
    void createWritesTheHeaderStoresTheNameAndOpensTheFile() {
        EditorRig rig;
        rig.editor->txtInput[1]->setText("Typed before the create");
        rig.create({"backup"});
        QCOMPARE(readAll(rig.dir.file("backup.wdx")), rig.header("backup.wdx"));
        QCOMPARE(rig.g.slot(1).ScriptFile.trimmed(), std::string("backup.wdx"));
        QCOMPARE(rig.textEditor.opened, std::vector<std::string>{rig.dir.file("backup.wdx")});
        QCOMPARE(rig.activator.activated, std::vector<double>{77.0});
        // The editor reloaded from the slot, which holds what was typed.
        QCOMPARE(rig.editor->txtInput[1]->text().trimmed(), QString("Typed before the create"));
        // Cancel keeps what the create stored.
        rig.editor->cmdCancel_Click();
        QCOMPARE(rig.g.slot(1).ScriptFile.trimmed(), std::string("backup.wdx"));
        QCOMPARE(rig.g.slot(1).Comment.trimmed(), std::string("Typed before the create"));
    }

    void extensionRuleAndLongNames() {
        EditorRig rig;
        rig.create({"Backup.WDX"});
        QVERIFY(QFile::exists(QString::fromStdString(rig.dir.file("Backup.WDX"))));
        rig.create({"notes.txt"});
        QVERIFY(QFile::exists(QString::fromStdString(rig.dir.file("notes.txt.wdx"))));
        rig.create({"a-very-long-script-name-for-nightly"});
        QCOMPARE(readAll(rig.dir.file("a-very-long-script-name-for-nightly.wdx")),
                 rig.header("a-very-long-script-name-for-nightly.wdx"));
        QCOMPARE(rig.g.slot(1).ScriptFile.str(), std::string("a-very-long-script-name-f"));
        QCOMPARE(rig.editor->cmbScriptFiles->currentText(), QString("a-very-long-script-name-f"));
    }

    void anExistingFileIsReplacedOnlyOnYes() {
        EditorRig rig;
        writeAll(rig.dir.file("old.wdx"), "EXEC keep\r\n");
        rig.messages.answers = {MsgAnswer::No, MsgAnswer::Yes};
        // No keeps the dialog open with the old file; then Cancel.
        rig.create({"old.wdx"});
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        QCOMPARE(rig.messages.shown[0].text, std::string("old.wdx already exists. OK to overwrite ?"));
        QCOMPARE(readAll(rig.dir.file("old.wdx")), std::string("EXEC keep\r\n"));
        QVERIFY(rig.textEditor.opened.empty());
        rig.create({"old"});
        QCOMPARE(readAll(rig.dir.file("old.wdx")), rig.header("old.wdx"));
    }

    void failuresAreReportedAndNothingIsHalfWritten() {
        EditorRig rig;
        // A name the file system refuses (a folder that does not exist).
        rig.create({"no/such"});
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        QVERIFY(QString::fromStdString(rig.messages.shown[0].text).contains("no/such.wdx"));
        QCOMPARE(rig.g.slot(1).ScriptFile.trimmed(), std::string());

        // No editor can start: a clear message instead.
        rig.textEditor.fail = true;
        rig.editor->cmbScriptFiles->setEditText("typed.wdx  ");
        rig.editor->cmdEditScript_Click();
        QCOMPARE(rig.textEditor.opened.back(), rig.dir.file("typed.wdx"));
        QVERIFY(QString::fromStdString(rig.messages.shown.back().text).contains("no editor"));
        QVERIFY(rig.activator.activated.empty());
    }

    void theDesktopEditorGetsThePathAsOneArgument() {
        TempFolder dir;
        const std::string editor = dir.file("fake-editor");
        writeAll(editor, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"$(dirname \"$0\")/args\"\n");
        QFile::setPermissions(QString::fromStdString(editor), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        DesktopTextEditor launcher({"no-such-editor-here", editor});
        std::string failure;
        const std::string script = dir.file("my script; $(x).wdx");
        QVERIFY(launcher.open(script, failure).has_value());
        QTRY_VERIFY(QFile::exists(QString::fromStdString(dir.file("args"))));
        QTRY_COMPARE(readAll(dir.file("args")), "1|" + script);

        DesktopTextEditor none({"no-such-editor-here"});
        QVERIFY(!none.open(script, failure).has_value());
        QVERIFY(QString::fromStdString(failure).contains("No text editor"));
    }
};

QTEST_MAIN(ScriptFileTest)
#include "ScriptFileTest.moc"
