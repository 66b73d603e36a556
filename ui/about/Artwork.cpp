#include "ui/about/Artwork.h"

#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initWendrelResources() { Q_INIT_RESOURCE(wendrel); }

namespace wendrel {

void initResources() {
    static const bool done = [] {
        initWendrelResources();
        return true;
    }();
    (void)done;
}

QIcon programIcon() {
    // The sizes are kept as raw RGBA pixels: decoding PNGs would load every
    // image format plugin and cost more than drawing the main window.
    static const QIcon icon = [] {
        initResources();
        QIcon sizes;
        for (int size : {16, 24, 32, 48, 64, 128}) {
            QFile file(QString(":/icons/wendrel-%1.rgba").arg(size));
            if (!file.open(QIODevice::ReadOnly)) continue;
            const QByteArray pixels = file.readAll();
            if (pixels.size() != size * size * 4) continue;
            const QImage image(reinterpret_cast<const uchar*>(pixels.constData()), size, size, size * 4,
                               QImage::Format_RGBA8888);
            sizes.addPixmap(QPixmap::fromImage(image)); // converts, so the image may go with the bytes
        }
        return sizes;
    }();
    return icon;
}

namespace {
void drawClock(QPainter& p, QPointF centre, double radius, double hour, double minute, int alpha) {
    p.save();
    p.translate(centre);
    p.setPen(QPen(QColor(255, 255, 255, alpha), std::max(1.0, radius / 14)));
    p.setBrush(QColor(255, 255, 255, alpha / 5));
    p.drawEllipse(QPointF(0, 0), radius, radius);
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6;
        p.drawLine(QPointF(std::sin(a) * radius * 0.82, -std::cos(a) * radius * 0.82),
                   QPointF(std::sin(a) * radius * 0.95, -std::cos(a) * radius * 0.95));
    }
    const double ha = (hour + minute / 60.0) * M_PI / 6, ma = minute * M_PI / 30;
    p.setPen(QPen(QColor(255, 255, 255, alpha), std::max(1.5, radius / 8), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0), QPointF(std::sin(ha) * radius * 0.5, -std::cos(ha) * radius * 0.5));
    p.setPen(QPen(QColor(255, 255, 255, alpha), std::max(1.0, radius / 12), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0), QPointF(std::sin(ma) * radius * 0.78, -std::cos(ma) * radius * 0.78));
    p.restore();
}
} // namespace

QImage splashPicture(QSize size) {
    QImage pm(size, QImage::Format_ARGB32_Premultiplied);
    const double w = size.width(), h = size.height();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.0, QColor(14, 32, 74));
    sky.setColorAt(0.55, QColor(31, 78, 150));
    sky.setColorAt(1.0, QColor(224, 132, 62));
    p.fillRect(pm.rect(), sky);

    QRadialGradient glow(QPointF(w * 0.78, h * 0.95), h * 0.7);
    glow.setColorAt(0.0, QColor(255, 214, 120, 170));
    glow.setColorAt(1.0, QColor(255, 214, 120, 0));
    p.fillRect(pm.rect(), glow);

    // A row of clocks going back into the distance, each a little later.
    const double big = h * 0.30;
    drawClock(p, QPointF(w * 0.80, h * 0.42), big, 9, 30, 230);
    drawClock(p, QPointF(w * 0.60, h * 0.62), big * 0.55, 10, 45, 170);
    drawClock(p, QPointF(w * 0.47, h * 0.76), big * 0.32, 0, 5, 120);

    // A hill line along the bottom.
    QPainterPath hill;
    hill.moveTo(0, h);
    hill.lineTo(0, h * 0.86);
    hill.cubicTo(w * 0.3, h * 0.78, w * 0.6, h * 0.98, w, h * 0.84);
    hill.lineTo(w, h);
    hill.closeSubpath();
    p.fillPath(hill, QColor(10, 22, 48, 220));
    p.end();
    return pm;
}

} // namespace wendrel
