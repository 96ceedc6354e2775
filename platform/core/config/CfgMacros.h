#pragma once
// Configuration macros (name -> text) and named integers of the core library.
// Names compare without regard to case. A macro is written in texts between
// dollar signs ("$XCFG$"); lookups accept the name with or without them.
#include <cstdint>

#include "platform/runtime/TCString.h"

// Defines or replaces a macro; an empty value removes it. False for an empty name.
bool registerCFGMacro(const char* name, const char* value);
// The macro's value; empty when undefined. Built-in macros (ALLUSERS) answer too.
TCString getCFGMacroValue(const char* name);
bool isCFGMacroDefined(const char* name);

// Flags of substCFGMacroValues.
constexpr unsigned CFGM_BUILTIN = 1;  // also expand the library's built-in macros

// Replaces, in place, every "$NAME$" whose NAME is a defined macro (and, with
// CFGM_BUILTIN, a built-in one). "$$" stands for one '$'. References to
// unknown names stay as written and make the result false; the expansion of
// a value is not expanded again (no loops).
bool substCFGMacroValues(TCString& text, unsigned flags = CFGM_BUILTIN);

// The built-in "$ALLUSERS$": the folder shared by all users of the machine
// (ALLUSERSPROFILE, else $XDG_DATA_HOME, else ~/.local/share).
TCString getAllUsersFolder();

// Named integers.
void registerGlobalIntValue(const char* name, int64_t value);
int64_t getGlobalIntValue(const char* name, int64_t def = 0);
bool isGlobalIntDefined(const char* name);
void unregisterGlobalIntValue(const char* name);

// Forgets every macro and named integer (tests, restarts of the library).
void clearCFGMacros();
