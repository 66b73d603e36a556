// Task list commands: New, Edit, Delete, toggle Active, and the grid's
// row-selection upkeep.
#include "ui/main/Form1.h"

namespace wendrel {

void Form1::NewTask() {}
void Form1::EditTask() {}
void Form1::DeleteTask() {}
void Form1::ToggleActive() {}
void Form1::Grid1_dblclick() {}
void Form1::Grid1_MouseDown() { selectRow(gridRow()); }
void Form1::Grid1_MouseUp() { selectRow(gridRow()); }
void Form1::Grid1_KeyDown(int) {}
void Form1::Grid1_KeyUp(int) { selectRow(gridRow()); }

} // namespace wendrel
