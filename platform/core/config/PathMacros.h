#pragma once
// The program's folders as configuration macros: PROGRAMDIR, APPLFILENAME,
// APPL, APPLDATA, DATA, XCFG, PFT and UPDATES. Everything else reads the folders
// through these macros.

// Registers PROGRAMDIR, APPLFILENAME and the application's folders. Without a
// name it does nothing once APPL is set; the name defaults to the program's
// file name before its last '.'.
void registerPathMacros(const char* applName = nullptr);
// Registers APPL and the folders that depend on it (APPLDATA, DATA, XCFG,
// PFT, UPDATES); nothing when APPL already holds the name (without regard to
// case). DATA is the application's folder unless the settings named another
// ("localDataDir").
void registerAppDataMacros(const char* applName);
