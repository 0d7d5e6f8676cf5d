#include "base/system_win32.h"
#include <cstring>

HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT folder = GetSystemDirectoryA(path, MAX_PATH);
    const size_t nameLength = std::strlen(name);
    // A folder that did not fit comes back as the size it needs, larger than the buffer.
    if (folder == 0 || folder >= MAX_PATH || folder + 1 + nameLength >= MAX_PATH) return nullptr;
    path[folder] = '\\';
    std::memcpy(path + folder + 1, name, nameLength + 1);
    return LoadLibraryA(path);
}

void* LoadSystemModule(const char* name) {
    return reinterpret_cast<void*>(LoadSystemLibrary(name));
}

void* LookUpInModule(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void UnloadModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

FARPROC SystemCallAddress(SystemCallSlot& slot) {
    if (!slot.lookedUp) {
        slot.lookedUp = true;
        HMODULE module = slot.source == LibrarySource::SystemFolder
                             ? LoadSystemLibrary(slot.library)
                             : GetModuleHandleA(slot.library);
        slot.address = module ? GetProcAddress(module, slot.name) : nullptr;
    }
    return slot.address;
}
