// Where the sound subsystem reports failures: the engine's start to "supinfo.txt" in the
// current directory, the wave loader to the debugger output.
#pragma once
#include <cstdint>
#include <cstdio>

// Writes one formatted text to the support file; the first text of a run replaces the file.
void WriteSupportInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Formats the message, shuts the engine down, appends "\n" and writes it with WriteSupportInfo.
// Returns 0.
int ReportEngineFailure(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes one line (the text and "\n") as ReportEngineFailure does, but leaves the engine running:
// for a failure of one operation that the rest of the engine survives.
void NoteEngineFailure(const char* text);

// While non-zero, ReportEngineFailure still shuts the engine down but writes nothing: set for
// the quiet retries of a lost device, whose first failure is already in the file.
extern int32_t EngineFailuresMuted;

// Formats the message, sends it to the debugger output (standard error off Windows) and closes
// the file when one is given. Returns 0.
int ReportLoaderFailure(std::FILE* file, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The platform's debugger output (OutputDebugStringA on Windows, standard error elsewhere).
void SendDebugOutput(const char* text);

// Forgets that this run has written the support file (for tests that play several runs).
void ResetSupportLog();
