#pragma once
// The maker's own ASN.1 objects, registered with OpenSSL (OBJ_create) from one
// table under a private arc. Code refers to them by symbol, never by number:
// the numeric identifiers OpenSSL assigns depend on the order of registration.
#include "platform/runtime/TCString.h"

enum class ZrXObject : int {
    // owner-name attributes
    UserID,     // "zorenUID"
    ProfileID,  // "zorenProfileID"
    ExtUserID,  // "zorenExtUserID"
    PSPNumber,  // "zorenPSPNumber": identity document number
    DRFOUCode,  // "DRFOU_Code": taxpayer code, at most 10 characters
    UNZR,       // "unzr": record number of the population register
    // extensions
    StorageName,  // "zorenStorageName": name of the key medium
    KAParams,     // "zorenKAParams": key-agreement algorithm identifier
    ProfileExt,   // "zorenProfileExt": the key profile a certificate was made for
    UserInfo,     // "zorenUserInfo": free owner information
    // extended key usages
    TempCertificate,    // "tempCertificate": start-up (temporary) certificate
    GenKAKeys,          // "genKAKeys": key-agreement keys generated with the signature keys
    TokenAuthor338,     // "tokenAuthor338": device-authored keys
    CmpRA,              // "zorenCMP": certificate-management service
    IssueOrdinaryCert,  // "issueOrdinaryCert": an ordinary certificate is to be issued
    UAStamp,            // "UAExtKeyUsage_Stamp": electronic stamp
    UARA,               // "UAExtKeyUsage_RA": registration-authority operator
    // content types
    RevRequest,  // "zorenRevRequest": revocation request record
    // algorithms
    KAAlgorithm,  // "zorenKAAlgorithm": key-agreement parameter object
    Count_
};

// Registers the table once (thread-safe) and answers OpenSSL's NID of an object.
int zrxNid(ZrXObject obj);
// Short name and dotted identifier of an object.
const char* zrxShortName(ZrXObject obj);
const char* zrxOid(ZrXObject obj);
// Registers the table; every entry point of the layer calls it before use.
void zrxRegisterObjects();
// True for the NID of one of the table's objects.
bool zrxIsOwnObject(int nid);
// Russian caption of a name attribute or extension known to the layer (ours or
// OpenSSL's common ones), translated; the OpenSSL long name otherwise.
TCString zrxObjectCaption(int nid);
// NID of a short name, long name or dotted identifier, 0 (NID_undef) when unknown.
int zrxNidOf(const char* nameOrOid);
// NID of a short name only, 0 (NID_undef) when unknown.
int zrxNidOfShortName(const char* shortName);
// OpenSSL's long name of a NID, or null when it has none.
const char* zrxLongName(int nid);
// True for the NID of a DSTU 4145 public-key algorithm (OpenSSL's little- and
// big-endian identifiers).
bool isKDSTU4145_nid(int nid);
