#pragma once
// Small services many windows share: the password policy, the owner of
// dialogs, file dialogs for certificates and requests, reading and writing
// those files, showing an object with its owner, tool-bar tidying, the region
// list of the owner's address and a few fixed switches.
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/TCString.h"

class TZrX509;
class TZrX509Req;
class TZrX509Base;

// The policy: 8 to 32 characters; the test password is set with it and
// cleared again later in the start-up (both run as static initialisers).
void registerPasswordPolicy();
// True once the unit's start-up has run (referencing it keeps the unit in the program).
bool passwordPolicyRegistered();

// The screen's active form, else the application's main form.
TCustomForm* activeOrMainForm();

// File dialogs with the given title, filter (framework form) and default
// extension; a non-empty name gives the initial folder and the proposed file.
// On confirmation the chosen path replaces the name.
bool openFileDialog(TCString& name, const char* title, const char* filter, const char* defaultExt);
bool saveFileDialog(TCString& name, const char* title, const char* filter, const char* defaultExt);
bool askCertFileToLoad(TCString& name, const char* title = nullptr);
bool askCertFileToSave(TCString& name);
bool askRequestFileToSave(TCString& name, bool registeredAllowed, const char* title = nullptr);
bool askRegisteredRequestFileToSave(TCString& name, const char* title = nullptr);

// The file name proposed for a certificate: an authority's by its subject
// serial, others by the owner's name; always a safe name with ".crt".
TCString proposedCertificateFileName(const TZrX509& cert);
TCString proposedRequestFileName(const TZrX509Req& req);
// True when the name's extension is ".pem" in any case.
bool isPemFileName(const char* name);

// Ask, write; a failed write is shown and asked again. False when cancelled.
bool saveCertificateFile(const TZrX509& cert);
bool saveRequestFile(const TZrX509Req& req);
// Ask, read (a failure is shown and asked again); with confirm the
// certificate is shown for acceptance first. False when cancelled.
bool loadCertificateFile(const char* title, TZrX509& cert, bool confirm);
// The object view with the object's caption and owner; answers the modal result.
int viewObjectWithOwner(TZrX509Base* object, bool confirm, const char* title);

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
