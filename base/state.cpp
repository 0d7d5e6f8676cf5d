#include "base/state.h"

uint8_t InteractionState = 0;
int32_t Dragging = 0;
int32_t AboutDialogOpen = 0;
WindowHandle AboutDialogWindow = nullptr;
int32_t SoundMode = SoundModeOff;
uint8_t OsFamily = OsFamilyNt;
int32_t CpuMonitorUnavailable = 0;
