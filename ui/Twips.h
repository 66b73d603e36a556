#pragma once
// Window layouts are given in twips (1440 per inch), drawn for an 8-point face.
// These convert them to pixels at the screen's logical DPI, scaled with the
// desktop's face: a 12-point face makes every window half as large again, so
// texts keep the room they were drawn with.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace wendrel {

inline double screenDpiX() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}
inline double screenDpiY() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}

// How much larger than the drawn 8-point face the application's face is, by
// line height (13 pixels at 96 DPI for the drawn face); never below 1.
inline double fontScale() {
    const double line = QFontMetricsF(QApplication::font()).height();
    return std::max(1.0, line / (13.0 * screenDpiY() / 96.0));
}

inline double twipsToPixelsX(double twips) { return twips * screenDpiX() / 1440.0 * fontScale(); }
inline double twipsToPixelsY(double twips) { return twips * screenDpiY() / 1440.0 * fontScale(); }
inline int twipsX(double twips) { return static_cast<int>(std::lround(twipsToPixelsX(twips))); }
inline int twipsY(double twips) { return static_cast<int>(std::lround(twipsToPixelsY(twips))); }
inline double pixelsToTwipsX(double px) { return px / twipsToPixelsX(1.0); }
inline double pixelsToTwipsY(double px) { return px / twipsToPixelsY(1.0); }
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsX(left), twipsY(top), twipsX(width), twipsY(height));
}

// The largest window that fits the screen's free area. The window manager's
// frame is not known before a window is shown: room is left for a title bar
// and borders.
inline QSize screenRoom(const QScreen* s = QGuiApplication::primaryScreen()) {
    const QSize frameAllowance(16, 40);
    return s ? s->availableGeometry().size() - frameAllowance : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}
// A window's size, no larger than that.
inline QSize withinScreen(QSize size) { return size.boundedTo(screenRoom()); }

// The width a label needs to show text whole (a framed label without an
// indent of its own indents by half an "x").
inline int captionWidth(const QLabel* l, const QString& text) {
    const QFontMetricsF fm(l->font());
    const double indent = l->indent() >= 0 ? l->indent() : l->frameWidth() > 0 ? fm.horizontalAdvance('x') / 2 : 0;
    return static_cast<int>(std::ceil(fm.horizontalAdvance(text) + indent)) + 2 * (l->frameWidth() + l->margin()) + 1;
}

// The width a control needs to show its caption whole, or 0 when its text is
// the user's (text boxes, typed lists) or it has none.
inline int captionWidth(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text().isEmpty() || l->textFormat() == Qt::RichText ? 0 : captionWidth(l, l->text());
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
        QString text = b->text();
        text.remove(QLatin1Char('&')); // the access key's marker is not drawn
        const QStyle* s = b->style();
        return static_cast<int>(std::ceil(QFontMetricsF(b->font()).horizontalAdvance(text))) +
               s->pixelMetric(QStyle::PM_ButtonMargin) + 2 * s->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
    }
    if (auto* c = qobject_cast<const QComboBox*>(w); c && !c->isEditable()) return c->sizeHint().width();
    return 0;
}

// Places a window's controls from their drawn rectangles. A face wider than
// the drawn one (for the same line height) would still clip captions, so the
// horizontal scale grows until every caption fits: all left edges and widths
// widen by one factor and the arrangement stays as drawn.
class TwipsLayout {
public:
    void add(QWidget* w, QRect twips) { places_.push_back({w, twips}); }
    // A text that must fit into a drawn width (for texts that are not a
    // control's caption, such as status texts).
    void require(int pixels, double twipsWidth) { scaleX_ = std::max(scaleX_, pixels / twipsToPixelsX(twipsWidth)); }

    // Computes the scale from the captions and places every control.
    void apply() {
        for (const auto& [w, r] : places_)
            if (const int needed = captionWidth(w); needed > 0)
                scaleX_ = std::max(scaleX_, needed / twipsToPixelsX(r.width()));
        for (const auto& [w, r] : places_) w->setGeometry(rect(r));
    }
    int x(double twips) const { return static_cast<int>(std::lround(twipsToPixelsX(twips * scaleX_))); }
    int y(double twips) const { return twipsY(twips); }
    QRect rect(QRect twips) const {
        const int left = x(twips.x());
        return QRect(left, y(twips.y()), x(twips.x() + twips.width()) - left, y(twips.height()));
    }
    double scaleX() const { return scaleX_; }

private:
    std::vector<std::pair<QWidget*, QRect>> places_;
    double scaleX_ = 1.0;
};

} // namespace wendrel
