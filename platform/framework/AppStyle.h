// Visual styles of the application: named colour schemes applied to the
// whole program (palette and a small style sheet).
#pragma once

#include <vector>

#include "platform/framework/Classes.h"

// The styles offered; "Light Sky Blue" is the program's default look.
std::vector<String> AppStyleNames();
// Applies a style by name (without regard to case); false for an unknown name,
// which leaves the current look alone.
bool ApplyAppStyle(const String& name);
// The style applied last (empty before any).
String CurrentAppStyle();
