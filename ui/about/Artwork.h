#pragma once
// The program's own pictures: its icon (shipped as raw pixels in the
// resources) and the splash window's background (drawn when needed).
#include <QIcon>
#include <QImage>

namespace wendrel {

// Makes the resources of the UI library available (it is a static library,
// so nothing would pull them in otherwise). Safe to call more than once.
void initResources();

QIcon programIcon();

// The splash background: an evening sky over a row of clock faces. It has no
// text, so it may be drawn on any thread.
QImage splashPicture(QSize size);

} // namespace wendrel
