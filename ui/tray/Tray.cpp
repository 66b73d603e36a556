#include "ui/tray/Tray.h"

#include "ui/main/Form1.h"

namespace wendrel {

void Form1::SendToTray() {}
void Form1::rest1_Click() {}

} // namespace wendrel
