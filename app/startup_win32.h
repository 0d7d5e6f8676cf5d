// What follows the window's creation.
#pragma once
#include <windows.h>

// Everything after the window exists: the first look at presence, then the settings applied
// (the sound device among them), the place, the first picture, and the window shown as
// presence allows.
void StartSozu(HWND window);
