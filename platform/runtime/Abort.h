#pragma once
// Abort hooks: libraries register functions that tidy up when the process
// aborts; the program's abort routine runs them.

// Marks the process as aborting (1) or not (0).
void setAbortring(int on);
bool isAborting();
// A hook gets the flag word (it may clear it to say nothing must be shown).
using TAbortHook = void (*)(int* flags, void* context);
void addAbortHook(TAbortHook hook, void* context = nullptr);
void removeAbortHook(TAbortHook hook, void* context = nullptr);
// Runs the hooks, the last added first; each hook runs once per call.
void doOnAnbort(int* flags);

// Switches off core dumps of the process (no core file, not dumpable), so
// that a crash never writes keys or passwords to disk. True when both held.
bool disableCoreDumps();
