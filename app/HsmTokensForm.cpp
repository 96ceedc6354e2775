#include "app/HsmTokensForm.h"

// Least body until the token list window stands: nothing is chosen.
bool chooseHsmToken(TCString&, bool, const char*) { return false; }
