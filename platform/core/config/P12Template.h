#pragma once
// Crypto-parameter templates: the algorithm choices a key profile offers for
// its signature and key-agreement keys (schema: docs/config-schema.md).
#include <openssl/x509.h>

#include <vector>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

class TCXMLNode;

struct TZrXP12Params {
    enum Alg { None, EC, RSA, Ed25519, X25519, ECDH };
    TCString name;
    TCString alg;      // as written: "EC:P-256", "RSA:3072", "Ed25519", "X25519", "ECDH:P-256"
    TCString caption;  // source caption
    Alg kind = None;
    int curveNid = 0;  // EC and ECDH
    int bits = 0;      // RSA
    bool keyAgreement = false;
    bool isDefault = false;
    std::vector<int> profiles;    // empty: every profile
    X509_ALGOR* algor = nullptr;  // owned

    bool servesProfile(int id) const;
};

// Parses an algorithm text; false when it is not one of the supported ones or
// does not fit the purpose.
bool parseP12Algorithm(const char* text, bool keyAgreement, TZrXP12Params& out);

class TZrXP12Template {
public:
    TZrXP12Template() = default;
    ~TZrXP12Template();
    TZrXP12Template(const TZrXP12Template&) = delete;
    TZrXP12Template& operator=(const TZrXP12Template&) = delete;

    void clear();
    bool isEmpty() const { return params_.empty(); }
    const TCString& fileName() const { return fileName_; }

    int count() const { return static_cast<int>(params_.size()); }
    const TZrXP12Params* at(int i) const;
    // The sets of one purpose that serve a profile (profile id 0: all).
    std::vector<const TZrXP12Params*> paramsFor(int profileId, bool keyAgreement) const;
    const TZrXP12Params* findParams(const char* name) const;
    // The chosen set of a purpose for a profile: its default, else its first.
    const TZrXP12Params* defaultParams(int profileId, bool keyAgreement) const;
    // The algorithm identifier of defaultParams (owned by the template), null when none.
    X509_ALGOR* getCryptoParamters(int profileId, bool keyAgreement) const;

    // Fills the template from a parsed tree; 0 or KR_E_FORMAT (logged).
    KResult assign(const TCXMLNode* root, const char* fileName);

private:
    std::vector<TZrXP12Params*> params_;
    TCString fileName_;
};

// The caption the algorithm pickers show for a parameter set: its caption,
// translated, else a name made from its algorithm ("EC P-256", "RSA 3072").
// Empty for null.
TCString getCryptoParsCaption(const TZrXP12Params* params);

// Loads a template file; 0, an XML failure code, or KR_E_FORMAT when it holds
// no valid parameter set or an invalid one.
KResult loadP12Template(const char* fileName, TZrXP12Template* tmpl);
