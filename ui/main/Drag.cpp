// Drag reordering of the task grid and the grid's column hints.
#include "ui/main/Form1.h"

namespace wendrel {

void Form1::Grid1_MouseMove(int, double, double) {}

} // namespace wendrel
