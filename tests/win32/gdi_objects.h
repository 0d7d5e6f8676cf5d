// The graphics objects alive in this process, counted the way Wine allows: Wine answers 0 to
// GetGuiResources, but its handle is a table slot in the low 16 bits and a generation in the
// high ones, and a handle whose high word is 0 names whatever lives in that slot, so asking
// GetObjectType of every slot counts the live objects (Wine's table only; on Windows the
// count would read 0).
#pragma once
#include <windows.h>

inline int LiveGdiObjects() {
    constexpr UINT_PTR SlotCount = 0x10000;
    int live = 0;
    for (UINT_PTR slot = 1; slot < SlotCount; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++live;
    }
    return live;
}
