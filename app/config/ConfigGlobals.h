#pragma once
// The program's two configuration objects, built at start in a fixed order
// (the certification authority's configuration, then the program settings),
// and what the container view reads and writes through them: the program
// settings with the digest mapping they choose, and the service files'
// update address used at start.
#include "platform/runtime/TCString.h"

class TZrxCaConfig;
class TCCtxViewerConfig;

// The program settings object, the current settings from start-up on.
extern TCCtxViewerConfig viewerConfig;

// Builds the certification authority's configuration; the program settings
// follow it (static initialisation runs this first). Safe to call again.
void initConfigGlobals();

// The program settings' load and save. When they succeed the core library's
// digest mapping follows the settings: 2 with the "ДСТУ 7564:2014" choice
// (flag 0x400000), else 1. False when the file could not be read or written.
bool loadViewerSettings();
bool saveViewerSettings();

// The service files' update address when the settings ask for that update
// at start (flag 0x100000), else an empty text.
TCString getEnabledServiceFilesUrl();
