#pragma once
// The program's command line, read once before any window exists.
#include <string>
#include <vector>

#include "platform/runtime/TCString.h"

// The last plain argument goes to cmdLineCtxName (locations/ContainerPrompt.h).
// The arguments after the program name (main stores them, and the name the
// program was started as).
void setCommandLineArgs(int argc, char** argv);
void setCommandLineArgs(const std::vector<std::string>& args);

// Reads the stored arguments: true to go on starting; false when a help
// switch showed the usage text and the program must end.
bool parseCommandLine();

// The name the program was started as (the file name it was started by,
// else its own file name).
TCString commandLineProgramName();
// The usage text (the Russian source, "%s" the program's name; shown
// through translation).
TCString commandLineUsageText();

// Shows the usage text; the windowing layer installs its message dialog
// (information, one OK button). Without one the text goes to stdout.
using UsageShowFunc = void (*)(const char* text);
UsageShowFunc setUsageShowFunc(UsageShowFunc fn);

// True once "-norest" was given (restoring of stored states is off).
bool commandLineNoRestore();
