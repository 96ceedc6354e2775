#pragma once
// PKCS#11 support the programming-interface library relies on: the life of the
// PKCS#11 module and the list of HSM tokens for device choices.
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCStringList.h"

// Before every container load; idempotent. Registers the token backend of
// "$:" locations and finds the PKCS#11 module, which the first device use
// opens; when there is no module the failure code is answered and file
// containers work as before.
KResult initP11Lib();
// Once at exit (also after an exception): closes the module. Slot objects
// handed out before stay valid; sessions opened before are dead.
void doneP11Lib();
// The initialised HSM tokens by token name, each entry with its TCP11Slot
// attached (TCString::object); answers their number (0 when the module
// cannot be used). ZrX_GetDevicesList("$") lists through this.
int listTokenDevices(TCStringList& list);
