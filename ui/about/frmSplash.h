#pragma once
#include <QDialog>

class QLabel;

namespace wendrel {

// The start-up window: the product name, version and platform over the
// program's own background picture. It closes itself once it is on screen.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    // Shows the splash window modally; it closes itself once it is on screen.
    // Returns how long it was open, in milliseconds.
    static qint64 showModal(QWidget* parent);
    // Starts drawing the background picture on another thread, so that it is
    // ready when the window is shown (the program builds its main window
    // meanwhile). Without this, the picture is drawn when it is needed.
    static void drawPictureAhead();

    // The latest moment it closes even if it was never drawn (no display,
    // no window manager).
    static constexpr int kLatestCloseMs = 2500;

    QLabel* lblProductName = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblPlatform = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static QSize windowSize();

    bool closing_ = false;
};

} // namespace wendrel
