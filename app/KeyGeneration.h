#pragma once
// Key generation into an open container: one generation with a new-key item
// (the owner-parameter dialog, the keys, then the requests saved as files or
// self-issued certificates stored and saved), committed on success and
// rolled back on any failure, ending with the result window.
//
// The main window hands its open container and its view refresh to
// createKeys; the saving operations also serve the container view after a
// key change.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCString.h"

class TCBaseRequestParamMaker;
class TCXProfileDescriptor;
class TZrX509Base;
class TZrX509Csp;
class TZrX509;
class TZrX509Req;

// Request flags a generation starts with: ask for the container password
// (0x8), the new password replaces the start-up one (0x10), signature keys (0x100).
constexpr unsigned int kGenStartRequestFlags = 0x118;
// genFlags: the non-standard extensions were taken out of the request.
constexpr unsigned int kGenNonStandardRemoved = 0x20;
// Generation results that roll the container back besides failures.
constexpr KResult kGenRefused = 0x80800003;

// ---- the rules of a generation, each on its own

// The maker's flag bits a generation adds to what it had: the caller's
// copied bits, the destination and mode groups (0x80800), and the
// start-certificate box unchecked and disabled (0x3000).
unsigned int generationMakerFlags(unsigned int requestFlags);
// genFlags' key kinds from the maker's flags: 0x100 signature keys gives
// 0x20000, 0x200 key-agreement keys gives 0x10000.
unsigned int keyKindsOfMakerFlags(unsigned int makerFlags);
// Takes the non-standard extensions out of the maker's request: our own
// storage-name, key-agreement-parameter and profile extensions, the
// "zorenProfileID" entry, and for a profile of kind 1 the extended key usage.
void removeNonStandardExtensions(TCBaseRequestParamMaker& maker);

// File names proposed for a container's requests and certificates, from
// the container's base name (requestFileBaseName of the container view).
// base + ".p10" for a signature request, else base + "_ka.p10".
TCString requestFileName(const TCString& base, const TZrX509Base& request);
// base + "_ka.crt" for a key-agreement certificate, else base + ".crt".
TCString certificateFileName(const TCString& base, const TZrX509Base& cert);
// The profile a stored request was made for, or null.
const TCXProfileDescriptor* requestProfile(const TZrX509Csp& csp, const TZrX509Req& request);
// Days a self-issued certificate is proposed for: the profile's, else 366.
int selfIssuedDays(const TCXProfileDescriptor* profile);
// The profile kind of a key by its first kind flag in the order CA,
// time-stamping, OCSP, certificate management, VPN client, VPN server; 0 for none.
int profileKindOfKeyFlags(uint32_t keyFlags);

// ---- files of a generation

// The request and certificate files chosen while a generation runs. They
// are written only once the container holding their keys is committed: a
// request for a key that exists nowhere must never reach an authority, and
// a generation rolled back saves nothing.
class TGenerationFiles {
public:
    TGenerationFiles();
    ~TGenerationFiles();
    TGenerationFiles(const TGenerationFiles&) = delete;
    TGenerationFiles& operator=(const TGenerationFiles&) = delete;

    // Keeps a copy of the request (kind word " ЭП" or " связи") for the file.
    void addRequest(const TZrX509Req& request, const TCString& fileName, const TCString& kindWord);
    void addCertificate(const TZrX509& certificate, const TCString& fileName);
    size_t count() const { return items_.size(); }
    // Writes the files in the order they were chosen (PEM when the name ends
    // in ".pem"), logging each as the immediate saves do; answers how many
    // were written.
    int writeAll();

private:
    struct Item;
    std::vector<std::unique_ptr<Item>> items_;
};

// ---- the generation

// One generation with a new-key item into the container, in an update:
// macro "onlyEmptyTokens" is "yes" while it runs, its log records are
// grabbed and shown in the result window at the end. A failure or the
// refusal 0x80800003 cancels the update; otherwise it is committed and the
// views refreshed. The request and certificate files are written only after
// a commit that succeeded; a failed commit is logged, so the result window
// shows it. Answers the generation's result.
KResult createKeys(TCXProfileDescriptor* item, TZrX509Csp* csp, const std::function<void()>& refreshViews);

// The request maker's part: parameters, the owner-parameter dialog, keys and
// the saving of what was made. cleanOnCommit (may be null) receives the
// device whose old keys the user agreed to remove when the keys are committed.
// With files given, the files chosen wait there for the commit.
KResult generateKeys(TCXProfileDescriptor* item, TCFlags<unsigned int>& requestFlags, TZrX509Csp* csp,
                     TCString* cleanOnCommit = nullptr, TGenerationFiles* files = nullptr);

// Saves every request of the container as a file, or with mode bit
// 0x100000 makes self-issued certificates of them; stops at the first one
// declined or failed. Answers the last result (1 saved, 0 not). With files
// given, the files chosen are kept there to be written later.
int saveRequests(TZrX509Csp* csp, unsigned int mode, TGenerationFiles* files = nullptr);
// One request into a file the user chooses: 1 saved (or kept in files),
// 0 cancelled or failed.
int saveRequest(TZrX509Csp* csp, TZrX509Req* request, TGenerationFiles* files = nullptr);
// A self-issued certificate of the request through the issuing dialog,
// stored in the container and saved as a file (or kept in files): 1 done,
// 0 not.
int saveSelfIssued(TZrX509Req* request, TZrX509Csp* csp, TGenerationFiles* files = nullptr);

// The profile for a key whose certificate names none: by the key's kind
// when the configuration has a profile of it, else what choose answers.
TCXProfileDescriptor* selectKeyProfile(const TZrX509Base* key, const std::function<TCXProfileDescriptor*()>& choose);
