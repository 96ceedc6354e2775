#pragma once
// The programming-interface library: start-up, callbacks, device functions
// and helpers the application calls besides the container object.
#include <cstddef>
#include <cstdint>

#include "platform/core/container/ContainerCodes.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/TCStringList.h"

class TZrX509;
class TCASN1OctetString;
class TZrX509Name;

// Once at start-up (after the daily log is open). The text is reserved.
KResult ZrX_Initalize(const char* parameters);
// Once at start-up, before the command line: the libraries' translations
// (the runtime's tables) and the texts of their result codes. The mode and
// flags words are accepted as the callers give them (2, 0).
KResult ZrX_IntTranslations(int mode, int flags);

// ---- callbacks ----
// Device progress: show (with a text) and hide around device work and long
// key generation.
using TZrXDevProgressShow = void (*)(void* context, const char* text);
using TZrXDevProgressHide = void (*)(void* context);
void ZrX_SetDevPogress(TZrXDevProgressShow show, TZrXDevProgressHide hide, void* context);
// Password callback: fills the buffer (size bytes, zero-terminated) and
// answers true, or false to refuse. Registered while a dialog that can
// answer exists; null unregisters.
using TZrXPasswordCallback = bool (*)(void* context, char* buffer, int size);
void registerPCBK(void* owner, int kind, TZrXPasswordCallback callback, void* context);

namespace zrx::api {
void progressShow(const char* text);
void progressHide();
// Asks the registered callback; false when none is registered or it refused.
bool askPassword(char* buffer, size_t size);
}  // namespace zrx::api

// ---- devices ----
inline constexpr uint32_t kMediaFile = 0;
inline constexpr uint32_t kMediaHsmToken = 36;

// Media names with their media codes attached (TCString::object): the file
// media first, then the registered device backends (HSM tokens: 36). With
// withFile false the file media is left out.
int ZrX_GetSupportedDevices(TCStringList& list, bool withFile);
// Devices of a media prefix ("$:"); answers their number (0 without a
// backend), or a failure code (a KResult, negative as int) when the devices
// cannot be listed. HSM tokens come by token name with their slot attached.
int ZrX_GetDevicesList(const char* prefix, TCStringList& list, int flags);
// 1 when the location names a file container.
int ZrX_IsFileContainer(const char* location);
// Media type of a location: 0 for a file.
uint32_t ZrX_GetContainerType(const char* location);
// 0 when the medium holds keys of the purpose of the keys being made (any
// key for a file), 0xC0800019 when none; other codes for failures. The
// medium's storage name, when it has one, goes into storageName.
KResult ZrX_FileExistsEx(const char* location, const char* password, TCString* storageName);
// Removes the keys (token objects; a file is replaced by the next save).
KResult ZrX_CleanStorage(const char* location, const char* password);

// What the program knows of one kind of medium.
struct TZrXTMediaDescriptor {
    TCString name;       // medium name
    uint32_t mediaType;  // media code
    TCString keyUsage;   // extended key usage the medium's keys get (may be empty)
};
// The descriptor of a medium by name, null when unknown.
const TZrXTMediaDescriptor* ZrX_GetTMediaDescriptor(const char* name);
// Adds a medium, or replaces the one of the same name (a device backend
// registers its media).
void ZrX_RegisterTMediaDescriptor(const TZrXTMediaDescriptor& descriptor);
// The device's default (start-up) password, empty for files and unknown media.
TCString ZrX_CheckDefPassword(const char* location, int flags);

// The start-up password of new containers.
inline constexpr const char* kStartupPassword = "40719385";

// ---- certificates ----
// Certificate-making parameters sent with an issue request.
struct TZrXMKCertPars {
    uint32_t flags = 0;  // 1: full chain in the reply
    int64_t start = 0;   // validity start (0: the service's choice)
    int64_t end = 0;     // validity end (0: the service's choice)
};

// Certificate look-up over a container object (context: TZrX509Csp*), for
// TZrXNPkcs7::initCertList and chain building: a copy of the stored
// certificate with that key identifier, or null.
TZrX509* getCspCertificateDefFunc(void* context, const TCASN1OctetString& keyID, const TZrX509Name* issuer,
                                  const char* serialHex);

// Digest mapping mode for national signature algorithms: 1 standard, 2 the
// newer hash. Kept for the caller; no algorithm generated here uses it.
void setMDMapMode(int mode);
int getMDMapMode();
