#include "ui/about/frmSplash.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QSysInfo>
#include <QTimer>
#include <future>

#include "ui/Twips.h"
#include "ui/about/Artwork.h"

namespace wendrel {

namespace {
// "For Linux": the kernel the program runs on, as its users name it.
QString platformLine() {
    QString kernel = QSysInfo::kernelType();
    if (kernel == "linux") kernel = "Linux";
    else if (kernel == "freebsd") kernel = "FreeBSD";
    else if (!kernel.isEmpty()) kernel[0] = kernel[0].toUpper();
    else kernel = QSysInfo::productType();
    return "For " + kernel;
}

// The name stands out in large bold letters; the version and the platform
// are in the desktop's own face and size, whose glyphs the main window needs
// anyway (every other face costs its own loading at start-up).
QLabel* splashLabel(QWidget* parent, const char* name, const QString& text, QRect rect, double scale = 1) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(rect);
    if (scale != 1) {
        QFont f = l->font();
        if (f.pointSizeF() > 0) f.setPointSizeF(f.pointSizeF() * scale);
        else f.setPixelSize(qRound(f.pixelSize() * scale));
        f.setBold(true);
        l->setFont(f);
    }
    // A palette rather than a style sheet: the texts need no style sheet
    // machinery, which is costly to set up at start-up. A label fills no
    // background of its own, so the picture shows through.
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
    return l;
}
// The picture being drawn ahead, if any (see drawPictureAhead).
std::future<QImage>& pictureAhead() {
    static std::future<QImage> picture;
    return picture;
}
} // namespace

QSize frmSplash::windowSize() { return {twipsX(6000), twipsY(3600)}; }

void frmSplash::drawPictureAhead() { pictureAhead() = std::async(std::launch::async, splashPicture, windowSize()); }

frmSplash::frmSplash(QWidget* parent) : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    setWindowTitle("Wendrel");
    setFixedSize(windowSize());
    lblProductName = splashLabel(this, "lblProductName", "Wendrel", twipsRect(360, 300, 4200, 900), 2.9);
    Label1 = splashLabel(this, "Label1", "Version 1.00", twipsRect(420, 1200, 3000, 360));
    lblPlatform = splashLabel(this, "lblPlatform", platformLine(), twipsRect(420, 1560, 3600, 360));
}

void frmSplash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QImage picture;
    if (pictureAhead().valid()) picture = pictureAhead().get();
    if (picture.size() != size()) picture = splashPicture(size());
    p.drawImage(0, 0, picture);
    // The frameless window gets no frame from a window manager: draw one.
    p.setPen(QColor(14, 42, 87));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    // Once the picture has been drawn it is on screen: close as soon as
    // this paint has reached the display, without holding up the start-up.
    if (!closing_) {
        closing_ = true;
        QTimer::singleShot(0, this, &QDialog::accept);
    }
}

void frmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Without a display nothing may ever be drawn; start-up must not wait.
    QTimer::singleShot(kLatestCloseMs, this, &QDialog::accept);
}

qint64 frmSplash::showModal(QWidget* parent) {
    QElapsedTimer timer;
    timer.start();
    frmSplash splash(parent && parent->isVisible() ? parent : nullptr);
    splash.setModal(true);
    // Centre on the screen (the main window is not shown yet).
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        splash.move(area.center() - QPoint(splash.width() / 2, splash.height() / 2));
    }
    splash.exec();
    return timer.elapsed();
}

} // namespace wendrel
