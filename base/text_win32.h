// The program's texts on any system language. They are code page 932 inside the program. On
// an English or German Windows the ANSI code page is 1252, and an ANSI call shows those bytes
// as "CPUŽg—p—¦" and a dialog made by the ANSI call even loses its template's texts to '?'.
// So on the NT family the texts go to the system as UTF-16, converted from code page 932 itself
// rather than through the ANSI code page. Windows 95/98/Me has mostly stubs for the wide calls,
// and an NT system without code page 932 installed cannot convert: both keep the ANSI calls.
#pragma once
#include <windows.h>

constexpr UINT ProgramCodePage = 932;

// Whether texts reach the system through the wide calls: the NT family with code page 932.
// OsFamily must be known first (DetectOsFamily).
bool WideTextCalls();

// A zero-terminated code page 932 text in UTF-16, cut to at most capacity - 1 characters where
// a character ends (never half a double-byte pair) and always terminated. Answers the
// characters written before the terminator; capacity 0 writes nothing.
int WidenText(const char* text, wchar_t* wide, int capacity);

// The calls that carry texts, by the wide or the ANSI route as WideTextCalls says. The message
// box has MessageBoxA's own form, so it can stand wherever that is called through a pointer.
int WINAPI ShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
void SetControlText(HWND dialog, int id, const char* text);
INT_PTR RunDialog(HINSTANCE instance, int id, HWND owner, DLGPROC procedure);
// Opens a document or address with the shell, shown normally; verb may be null (the default).
void OpenWithShell(HWND owner, const char* verb, const char* file);

// Shell_NotifyIconW with the record given, where the shell has it; false where it has not, and
// the caller then takes the ANSI call. The call's own result is not examined.
bool NotifyIconWide(DWORD operation, void* record);
