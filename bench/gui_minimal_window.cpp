// The anchor of the start-up, memory and idle benchmarks: a minimal Qt
// Widgets program that shows one window with a label and waits.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label("A minimal Qt Widgets window");
    label.setWindowTitle("Minimal Qt Widgets");
    label.resize(400, 200);
    label.show();
    return app.exec();
}
