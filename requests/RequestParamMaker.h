#pragma once
// The program's request parameter maker: what happens between building a
// maker for one key profile and one container and generating the keys. It
// loads the profile's crypto template, runs the owner-parameter dialog with
// the container password, merges the edited extensions into the request and
// adds the storage name, the device key usage and the key-agreement
// parameters.
//
// Callers: construct, setPattern, optional maker flags, initCryptoPars (or
// loadCryptoTemplate(nullptr)), prepareRequest, generateKeys, destroy.
#include <openssl/x509.h>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCString.h"
#include "platform/x509api/BaseRequestParamMaker.h"

// Maker flag bits the program uses (the library may use others).
enum : unsigned int {
    kRpmAskPassword = 0x8,       // the dialog asks for a container password
    kRpmStartupPassword = 0x10,  // the new password replaces the start-up password
    kRpmChangeCaption = 0x80,    // the password group is titled "Смена пароля"
    kRpmSignKeys = 0x100,        // generate signature keys
    kRpmKAKeys = 0x200,          // generate key-agreement keys
    kRpmStartCert = 0x400,       // make a start certificate
    kRpmKAParams = kRpmSignKeys | kRpmKAKeys | kRpmStartCert,  // all three: key-agreement parameters go in
};

// Caller flag bits of prepareRequest.
enum : unsigned int {
    kPrqSanEmail = 0x02,       // the owner's e-mail address into the subject alternative name
    kPrqAskPassword = 0x08,    // ask for a container password
    kPrqStartupPassword = 0x10,
    kPrqNoDialog = 0x20,       // no dialog, unless kPrqStartupPassword is also set
    kPrqChangeCaption = 0x80,
    kPrqCopied = 0x800FF,      // copied into the maker flags
};

// Size of the password buffers of prepareRequest and of the dialog: the
// policy's 32 characters of up to four bytes each, and the end.
inline constexpr size_t kReqPasswordSize = 32 * 4 + 1;

class TCRequestParamMaker : public TCBaseRequestParamMaker {
public:
    TCRequestParamMaker(TCXProfileDescriptor* profile, TZrX509Csp* container);
    ~TCRequestParamMaker() override;

    // The device medium's storage name; the dialog's location frame may fill it.
    TCString& storageName() { return storageName_; }
    // The device whose keys of the same purpose the user agreed to remove
    // (the dialog's location frame fills it); the caller removes them right
    // before it commits the new keys. Empty when nothing is to be removed.
    TCString& cleanOnCommit() { return cleanOnCommit_; }

    // The template of the profile (the maker's own when null).
    KResult loadCryptoTemplate(TCXProfileDescriptor* profile);
    // 0 at once when parameters were already initialised; else the template
    // and the library's candidate parameters.
    KResult initCryptoPars(TCXProfileDescriptor* profile);
    // Prepares the request: dialog, container password, extensions. flags
    // are the caller's (kPrq*); password (kReqPasswordSize bytes, may be
    // null) holds the container's password and receives the new one;
    // description names the request in the dialog (the title when null).
    KResult prepareRequest(TCFlags<unsigned int>* flags, char* password, const char* description);

private:
    KResult putKAParams();

    TCString storageName_;
    TCString cleanOnCommit_;
};

// Loads a profile's crypto template from the templates folder (APPLDATA, else
// the program folder); a failure is logged. Answers the loader's code.
KResult loadCryptoTemplateFile(TZrXP12Template* tmpl, TCXProfileDescriptor* profile);

// A copy of key-agreement parameters for the request's extension (caller
// frees): a DSTU 4145 algorithm is named by the key-agreement algorithm object.
X509_ALGOR* makeKAExtParams(const X509_ALGOR* params);

// The owner-parameter dialog: edits the maker's names, extensions, choices
// and flags; with a password buffer (kReqPasswordSize bytes) it asks for the
// new container password. False when the user cancelled. Replaceable, so
// tests can script it.
using TExecEditUserParmsFormFunc = bool (*)(TCRequestParamMaker* maker, const char* description, char* password);
bool execEditUserParmsForm(TCRequestParamMaker* maker, const char* description, char* password);
// Installs a dialog function (null restores the dialog); answers the previous one.
TExecEditUserParmsFormFunc setExecEditUserParmsForm(TExecEditUserParmsFormFunc func);

// The certification authority's configuration values the maker reads: the
// program's folder and the owner's e-mail address ("UserEmail"). The
// application points the maker at its configuration at start; until then
// the program folder is the module's and there is no address.
struct TCMakerCaValues {
    TCString programFolder;
    TCString userEmail;
};
using TCMakerCaValuesFunc = TCMakerCaValues (*)();
TCMakerCaValuesFunc setMakerCaValues(TCMakerCaValuesFunc func);
TCMakerCaValues makerCaValues();
