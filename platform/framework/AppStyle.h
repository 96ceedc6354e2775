// Visual styles of the application: named colour schemes applied to the
// whole program (palette and a small style sheet).
#pragma once

#include <vector>

#include "platform/framework/Classes.h"

// The styles offered ("Light Sky Blue" the program's default look, "Windows"
// a plain system look, "Carbon" a dark look), in registration order.
std::vector<String> AppStyleNames();
// Applies a style by name (without regard to case); false for an unknown name,
// which leaves the current look alone.
bool ApplyAppStyle(const String& name);
// The style applied last (empty before any).
String CurrentAppStyle();

// The registry of named styles as the program's style code sees it.
class TStyleManager {
public:
    // Switches to a style; an unknown name leaves the look alone and, with
    // showError, is reported in a message box. False for an unknown name.
    static bool TrySetStyle(const String& name, bool showError = true);
    // The active style's name (empty before any).
    static String ActiveStyleName() { return CurrentAppStyle(); }
    static std::vector<String> StyleNames() { return AppStyleNames(); }
};
