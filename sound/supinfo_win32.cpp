// The loader's messages go to the debugger output, where a developer's debugger or DebugView
// sees them; users never do.
#include <windows.h>

#include "sound/supinfo.h"

void SendDebugOutput(const char* text) { OutputDebugStringA(text); }
