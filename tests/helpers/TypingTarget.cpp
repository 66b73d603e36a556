// A window that records what is typed into it, for the keystroke tests:
//   TypingTarget <file>
// The text of its edit box, exactly as typed (UTF-8, line feeds and tabs
// included), replaces the file after every change; the file is renamed into
// place, so a reader never sees half of it. Ctrl+Q or closing the window ends
// the program.
#include <QApplication>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QShortcut>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);

    QPlainTextEdit edit;
    edit.setWindowTitle("Wendrel typing target");
    auto save = [&] {
        QSaveFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(edit.toPlainText().toUtf8());
        out.commit();
    };
    save(); // the file exists, empty, from the start
    QObject::connect(&edit, &QPlainTextEdit::textChanged, save);
    QShortcut quit(QKeySequence(Qt::CTRL | Qt::Key_Q), &edit);
    QObject::connect(&quit, &QShortcut::activated, &app, &QApplication::quit);
    edit.show();
    const int code = app.exec();
    // Everything typed is saved already. Tearing the toolkit down may hang
    // in a Wayland session (Qt 6.4 can deadlock joining its Wayland event
    // thread), and a test waiting for this program to end would wait forever.
    std::_Exit(code);
}
