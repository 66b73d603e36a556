#pragma once
// Window layouts are given in twips (1440 per inch); these convert them to
// pixels at the screen's logical DPI.
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <cmath>

namespace wendrel {

inline double screenDpiX() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}
inline double screenDpiY() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}
inline int TwipsX(double twips) { return static_cast<int>(std::lround(twips * screenDpiX() / 1440.0)); }
inline int TwipsY(double twips) { return static_cast<int>(std::lround(twips * screenDpiY() / 1440.0)); }
inline double PixelsToTwipsX(double px) { return px * 1440.0 / screenDpiX(); }
inline double PixelsToTwipsY(double px) { return px * 1440.0 / screenDpiY(); }
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsX(left), TwipsY(top), TwipsX(width), TwipsY(height));
}

} // namespace wendrel
