#include "script/ScriptEngine.h"

namespace wendrel {

void ScriptEngine::RunScript(int index) { g_.slot(index).Running = 0; }
void ScriptEngine::Pause(float) {}
void ScriptEngine::WaitForCompletion(double) {}

} // namespace wendrel
