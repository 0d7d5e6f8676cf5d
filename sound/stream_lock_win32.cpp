// The stream lock on Windows: a critical section, which every Windows version has and which
// costs the program no threads library.
#include <windows.h>
#include "sound/stream.h"

namespace {

// Owns the critical section for the life of the process. Made before the entry point runs;
// nothing takes the lock before then or after the destructor.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&Section); }
    ~CriticalSection() { DeleteCriticalSection(&Section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    CRITICAL_SECTION Section;
};

CriticalSection StreamSection;

}  // namespace

void LockStream() { EnterCriticalSection(&StreamSection.Section); }
void UnlockStream() { LeaveCriticalSection(&StreamSection.Section); }
