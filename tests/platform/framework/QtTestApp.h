// Tests that build windows need the Qt application (offscreen in tests);
// this creates it once per process, with Application and Screen.
#pragma once

#include "platform/framework/Forms.h"

inline void ensureQtApp() { EnsureApplication(); }
