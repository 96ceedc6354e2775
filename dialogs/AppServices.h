#pragma once
// Small services many windows share: the password policy, the owner of
// dialogs, tool-bar tidying, the region list of the owner's address and a few
// fixed switches.
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/TCString.h"

// The policy: 8 to 32 characters; the test password is set with it and
// cleared again later in the start-up (both run as static initialisers).
void registerPasswordPolicy();
// True once the unit's start-up has run (referencing it keeps the unit in the program).
bool passwordPolicyRegistered();

// The screen's active form, else the application's main form.
TCustomForm* activeOrMainForm();

// The first visible button at or after index, or null.
TToolButton* nextVisibleButton(TToolBar* bar, int index);
// Removes a separator followed by another; answers the button count, or 0
// when a separator has no visible button after it.
int removeDoubleSeparators(TToolBar* bar);

// The regions offered for the owner's address, in order.
int regionNameCount();
const char* regionName(int index);
// A compound history edit becomes a read-only pick list of the regions
// (nothing saved); other controls are left alone.
void presetRegionHistory(TControl* control);

bool hideRevocationPhrase();
bool useAltToolbarImages();
// The certificate of a token key from the certificate database; with none
// attached (always here) 0 and both texts empty.
int findTokenCertificate(const char* keyText, TCString& kind, TCString& profileName);
