#pragma once
// Certificate and request files as the user handles them: asked for, read or
// written again until it works or is cancelled, a loaded certificate shown
// for acceptance; and the object view with the object's owner.

class TZrX509;
class TZrX509Req;
class TZrX509Base;

// Ask, write; a failed write is shown and asked again. False when cancelled.
bool saveCertificateFile(const TZrX509& cert);
bool saveRequestFile(const TZrX509Req& req);
// Ask, read (a failure is shown and asked again); with confirm the
// certificate is shown for acceptance first. False when cancelled.
bool loadCertificateFile(const char* title, TZrX509& cert, bool confirm);
// The object view with the object's caption and owner; answers the modal result.
int viewObjectWithOwner(TZrX509Base* object, bool confirm, const char* title);
