#pragma once
// Task texts are kept as Windows-1252 bytes; widgets show Unicode.
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QString>
#include <string>

#include "model/Cp1252.h"

namespace wendrel {

// A one-line label whose text may be longer than its fixed width: it shows
// what fits followed by an ellipsis, and the whole text as its tooltip.
class ElidingLabel : public QLabel {
public:
    explicit ElidingLabel(QWidget* parent = nullptr) : QLabel(parent) { setTextFormat(Qt::PlainText); }
    void setFullText(const QString& text) {
        if (text == full_) return;
        full_ = text;
        elide();
    }
    const QString& fullText() const { return full_; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        elide();
    }
    void changeEvent(QEvent* event) override {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange) elide();
    }

private:
    void elide() {
        // A framed label without an indent of its own indents by half an "x".
        const int indentPixels = indent() >= 0      ? indent()
                                 : frameWidth() > 0 ? fontMetrics().horizontalAdvance('x') / 2
                                                    : 0;
        const int room = contentsRect().width() - 2 * margin() - indentPixels - 1;
        const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(0, room));
        setText(shown);
        setToolTip(shown == full_ ? QString() : full_);
    }
    QString full_;
};

} // namespace wendrel
