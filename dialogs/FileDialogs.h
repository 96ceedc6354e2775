#pragma once
// File dialogs of the program: any file, certificates and requests, and the
// file names proposed for certificates and requests.
#include "platform/runtime/TCString.h"

class TZrX509;
class TZrX509Req;

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
