#include "scheduler/Scheduler.h"

namespace wendrel {

void Scheduler::Tick() {}

} // namespace wendrel
