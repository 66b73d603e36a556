// Hints of the buttons and the free area, the option toggles, help, About
// and the ways out of the program.
#include "ui/main/Form1.h"

namespace wendrel {

void Form1::cmdNewTask_MouseMove() {}
void Form1::cmdEditTask_MouseMove() {}
void Form1::cmdDelete_MouseMove() {}
void Form1::cmdSendtoTray_MouseMove() {}
void Form1::Form_MouseMove() {}
QString Form1::taskSummary() const { return {}; }
void Form1::MenuMinimize_Click() {}
void Form1::MenuTray_Click() {}
void Form1::MenuContents_Click() {}
void Form1::AboutOption_Click() {}
void Form1::Exit() { close(); }

} // namespace wendrel
