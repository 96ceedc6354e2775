#pragma once
// The request parameter maker base: everything one generation of keys and
// requests for one key profile into one container needs (owner's names,
// extensions, algorithm choice, challenge password), and the generation.
#include <openssl/x509.h>

#include <memory>
#include <vector>

#include "platform/core/x509/ExtList.h"
#include "platform/core/x509/NameList.h"
#include "platform/core/config/P12Template.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCString.h"

class TZrX509Csp;

// One algorithm choice of a template.
class TZrX509GenParams {
public:
    explicit TZrX509GenParams(const TZrXP12Params& p);
    ~TZrX509GenParams();
    TZrX509GenParams(const TZrX509GenParams&) = delete;
    TZrX509GenParams& operator=(const TZrX509GenParams&) = delete;

    const TCString& caption() const { return caption_; }
    const TCString& name() const { return name_; }
    // Algorithm text ("EC:P-256", "RSA:3072", "X25519"...).
    const TCString& algorithm() const { return alg_; }
    // The algorithm identifier (owned).
    X509_ALGOR* params() const { return algor_; }
    bool keyAgreement() const { return keyAgreement_; }

private:
    TCString caption_, name_, alg_;
    X509_ALGOR* algor_ = nullptr;
    bool keyAgreement_ = false;
};

// Generation flags of generateKeys.
enum : uint32_t {
    kGenKAKeys = 0x10000,       // key-agreement keys
    kGenSignKeys = 0x20000,     // signature keys
    kGenKeyChange = 0x10,       // keys replace keys in service
    kGenSelfIssued = 0x100000,  // the caller makes self-issued certificates
};

class TCBaseRequestParamMaker {
public:
    TCBaseRequestParamMaker(TCXProfileDescriptor* profile, TZrX509Csp* container);
    virtual ~TCBaseRequestParamMaker();
    TCBaseRequestParamMaker(const TCBaseRequestParamMaker&) = delete;
    TCBaseRequestParamMaker& operator=(const TCBaseRequestParamMaker&) = delete;

    TCXProfileDescriptor* profile() const { return profile_; }
    TZrX509Csp* getCsp() const { return csp_; }

    // The crypto-parameter template (filled by the caller with loadP12Template).
    TZrXP12Template& cryptoTemplate() { return template_; }
    // Candidate parameter sets of the profile from the template and the
    // default choices. 0xC0800005 when the template offers nothing for
    // the profile's key kinds. A key-agreement set whose key cannot sign its
    // own request (X25519) is left out when the profile makes no signature
    // key and the container keeps none to vouch for it; when that leaves
    // none, 0xC080006D.
    KResult initCtxCryptoPars(int profileId, int reserved1, int reserved2);
    // True when requests of key-agreement keys of the set at kaIndex can be
    // signed: by the key itself, or (X25519) by a signature key made in the
    // same generation (withSignKeys) or kept by the container.
    bool kaRequestSignable(int kaIndex, bool withSignKeys) const;
    int signCandidateCount() const { return int(signCandidates_.size()); }
    int kaCandidateCount() const { return int(kaCandidates_.size()); }
    const TZrX509GenParams* signCandidate(int i) const;
    const TZrX509GenParams* kaCandidate(int i) const;
    // Candidate stacks of algorithm identifiers (owned by the maker).
    const STACK_OF(X509_ALGOR) * signCandidateStack() const { return signStack_; }
    const STACK_OF(X509_ALGOR) * kaCandidateStack() const { return kaStack_; }
    // Index of the chosen set, below 0 for none.
    int signParamsIndex() const { return signIndex_; }
    int kaParamsIndex() const { return kaIndex_; }
    bool selectSignPars(int index);
    bool selectKAPars(int index);
    const TZrX509GenParams* signParams() const { return signCandidate(signIndex_); }
    const TZrX509GenParams* kaParams() const { return kaCandidate(kaIndex_); }

    // Pattern: a certificate whose owner and extensions the new request
    // repeats (key change). With copy, the name list and the edit extension
    // list are filled from it (without its key identifiers).
    void setPattern(const TZrX509* pattern, bool copy);
    const TZrX509* pattern() const { return pattern_.get(); }

    // Lists: owner's names, extensions the owner edits, the profile's full
    // extension list, and the encoded extensions of the request.
    TCX509NameList& nameList() { return names_; }
    TCXExtList& editExtensions() { return editExts_; }
    TCXExtList& fullExtensions() { return fullExts_; }
    TX509v3ExtList& x509Extensions() { return x509Exts_; }

    const TCString& title() const { return title_; }
    void setTitle(const char* t) { title_ = t ? t : ""; }
    TCFlags<unsigned int>& flags() { return flags_; }
    unsigned int flagsValue() const { return flags_.value(); }

    // The request's challenge password ("phrase|question").
    void assignChallengePassword(const char* text);
    const TCString& challengePassword() const { return challenge_; }

    // Generates the keys of the kinds in flags (0x20000 signature, 0x10000
    // key agreement; none given: maker flags 0x100/0x200, else the profile's
    // kinds) with the chosen algorithms, and their PKCS#10 requests (and
    // signed forms when keys are in service), into the container. Under an
    // update the container is written by endUpdate, otherwise at once.
    KResult generateKeys(TZrX509Csp* container, uint32_t flags, void* reserved);

private:
    void clearCandidates();
    // A signature key the container keeps for the keys this maker makes.
    bool containerSignatureKey() const;

    TCXProfileDescriptor* profile_;
    TZrX509Csp* csp_;
    TZrXP12Template template_;
    std::vector<std::unique_ptr<TZrX509GenParams>> signCandidates_, kaCandidates_;
    STACK_OF(X509_ALGOR) * signStack_ = nullptr;
    STACK_OF(X509_ALGOR) * kaStack_ = nullptr;
    int signIndex_ = -1, kaIndex_ = -1;
    std::unique_ptr<TZrX509> pattern_;
    TCX509NameList names_;
    TCXExtList editExts_, fullExts_;
    TX509v3ExtList x509Exts_;
    TCString title_;
    TCFlags<unsigned int> flags_;
    TCString challenge_;
};

// Sets or clears a flag value of an extension in a list: in mode "set" the
// value (an extended key usage name, a key usage bit name) is present
// exactly when flags & mask is non-zero. The extension is created when a
// value must be set and it is missing.
KResult setFlagsValue(TCXExtList* list, const char* extension, const char* value, uint32_t flags, uint32_t mask,
                      const char* mode, bool reserved);
