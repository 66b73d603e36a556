// The desktop's program launcher starts the named program itself, never a
// shell: shell characters in a command line reach the program as plain text.
#include <QDir>
#include <QFile>
#include <QtTest>

#include "platform/Desktop.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

class LauncherNoShellTest : public QObject {
    Q_OBJECT
private slots:
    void shellCharactersArePlainArgumentText() {
        TempFolder dir;
        Desktop desktop;
        ProgramLauncher* launcher = desktop.services().launcher;
        QVERIFY(launcher);
        // touch makes one file per argument. A shell would instead run "b",
        // "q", "id" and "whoami", and touch would see other names.
        const QString d = QString::fromStdString(dir.path());
        const QStringList names = {"a;b", "p|q", "$(id)", "`whoami`", "x&y", "m>n"};
        QString command = "touch";
        for (const QString& n : names) command += " " + d + "/" + n;
        auto id = launcher->start(command.toStdString());
        QVERIFY(id && *id > 0);
        for (const QString& n : names) QTRY_VERIFY2(QFile::exists(d + "/" + n), qPrintable(n));
        QCOMPARE(QDir(d).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), names.size());
    }

    void missingProgramGivesNoTaskId() {
        Desktop desktop;
        ProgramLauncher* launcher = desktop.services().launcher;
        QVERIFY(launcher);
        QVERIFY(!launcher->start("/no/such/program --flag"));
    }
};

QTEST_MAIN(LauncherNoShellTest)
#include "LauncherNoShellTest.moc"
