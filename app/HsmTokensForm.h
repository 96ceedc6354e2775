#pragma once
// The HSM token list window and its dialogs: choosing a token for a
// container location and, when keys are written, adding, initialising,
// unlocking and removing tokens.
#include "platform/runtime/TCString.h"

// Opens the token list on the program's list. On OK the location becomes
// "$:" and the chosen token's name and the answer is true.
bool chooseHsmToken(TCString& location, bool writingKeys, const char* defaultLabel);
