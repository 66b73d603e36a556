// What started programs write: kept per run, cut to its last bytes (also
// while the program still runs), only the newest runs kept within a total,
// and shown by the history for the run's program start.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <ctime>

#include "platform/Launcher.h"
#include "platform/OutputCaptures.h"
#include "ui/history/frmHistory.h"

using namespace wendrel;

class OutputCapturesTest : public QObject {
    Q_OBJECT

    static QStringList captureFiles(const QString& folder) {
        return QDir(folder).entryList({"*.out"}, QDir::Files, QDir::Name);
    }
    static qint64 sizeOf(const QString& folder, int pid) {
        const QStringList files = QDir(folder).entryList({QString::number(pid) + "-*.out"}, QDir::Files);
        return files.size() == 1 ? QFileInfo(folder + "/" + files[0]).size() : -1;
    }
    // Starts the command and waits until its process has ended.
    static int runToEnd(SpawnLauncher& launcher, const std::string& command) {
        const std::optional<double> id = launcher.start(command);
        if (!id) return 0;
        if (!QTest::qWaitFor([&] { return launcher.exitStatus(*id).has_value(); }, 10000)) return 0;
        return static_cast<int>(*id);
    }

private slots:
    void theLastBytesOfOutputAndErrorsAreKept() {
        QTemporaryDir dir;
        OutputCaptures captures(dir.path().toStdString());
        SpawnLauncher launcher;
        launcher.setOutputCaptures(&captures);

        // While it runs: cut down soon after it has written a lot.
        const std::optional<double> chatty = launcher.start("sh -c 'head -c 1000000 /dev/zero; exec sleep 5'");
        QVERIFY(chatty);
        const int pid = static_cast<int>(*chatty);
        QTRY_VERIFY_WITH_TIMEOUT(sizeOf(dir.path(), pid) > 0 && sizeOf(dir.path(), pid) <= 128 * 1024, 5000);
        ::kill(pid, SIGKILL);

        const int done = runToEnd(launcher, "sh -c 'head -c 200000 /dev/zero | tr \"\\0\" a; echo; echo END >&2'");
        QVERIFY(done);
        QCOMPARE(sizeOf(dir.path(), done), 64 * 1024);
        const std::optional<std::string> text =
            OutputCaptures::read(dir.path().toStdString(), done, std::time(nullptr));
        QVERIFY(text);
        QCOMPARE(text->size(), std::size_t(64 * 1024));
        QCOMPARE(text->substr(text->size() - 6), std::string("a\nEND\n"));
    }

    void onlyTheNewestRunsAreKeptWithinTheirTotal() {
        QTemporaryDir dir;
        OutputCaptures captures(dir.path().toStdString(), {1000, 2000, 3, 2500});
        SpawnLauncher launcher;
        launcher.setOutputCaptures(&captures);
        std::vector<int> pids;
        for (int i = 0; i < 5; ++i) pids.push_back(runToEnd(launcher, "head -c 1500 /dev/zero"));
        // At the last start, two older captures fitted the total; then the new one.
        QCOMPARE(captureFiles(dir.path()).size(), 3);
        QCOMPARE(sizeOf(dir.path(), pids[2]), 1000);
        QCOMPARE(sizeOf(dir.path(), pids[1]), -1);
        QVERIFY(!launcher.start("no-such-program-here"));
        QVERIFY(QDir(dir.path()).entryList({"new-*"}, QDir::Files).isEmpty());
    }

    void theHistoryShowsTheOutputOfAProgramStart() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("captures"));
        const QDateTime at = QDateTime::currentDateTime();
        QFile capture(dir.path() + "/captures/" +
                      QString::fromStdString(OutputCaptures::fileName(4242, at.toSecsSinceEpoch() + 1)));
        QVERIFY(capture.open(QIODevice::WriteOnly));
        capture.write("hello from the program\n");
        capture.close();
        QFile log(dir.path() + "/Wendrel.log");
        QVERIFY(log.open(QIODevice::WriteOnly));
        const QString time = at.toString("yyyy-MM-dd HH:mm:ss");
        log.write((time + "\tT\tt.wdx\tprogram started: prog (pid 4242)\n" + time + "\tT\tt.wdx\tfinished\n").toUtf8());
        log.close();

        frmHistory history(dir.path());
        history.grdEvents->selectRow(0); // newest first: "finished"
        QVERIFY(history.txtOutput->isHidden());
        history.grdEvents->selectRow(1);
        QVERIFY(!history.txtOutput->isHidden());
        QCOMPARE(history.txtOutput->toPlainText(), QString("hello from the program\n"));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    OutputCapturesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OutputCapturesTest.moc"
