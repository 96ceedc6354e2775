#pragma once
// enlp: a reversible scrambling of a stored text under a key text. It keeps
// a value (a proxy account, say) from being readable at a glance in a
// settings file; it is NOT protection: anyone with the key text (which is
// stored beside the value) turns it back. The stored form is Base64 of the
// text XORed with a SHA-256 counter stream of the key text.
#include "platform/runtime/TCString.h"

// direction 1: clear text -> stored form; 0: stored form -> clear text.
// False (out emptied) for a stored form that is no Base64.
bool enlp(TCString& out, const char* key, const char* value, int direction);
