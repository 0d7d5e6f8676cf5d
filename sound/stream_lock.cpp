// The stream lock off Windows, where the host tests run the refills on threads of their own.
#include "sound/stream.h"

#if !defined(_WIN32)
#include <mutex>

namespace {
std::mutex StreamMutex;
}  // namespace

void LockStream() { StreamMutex.lock(); }
void UnlockStream() { StreamMutex.unlock(); }
#endif
