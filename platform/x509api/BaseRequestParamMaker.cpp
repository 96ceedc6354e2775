// The request parameter maker base.
#include "platform/x509api/BaseRequestParamMaker.h"

#include <openssl/crypto.h>
#include <openssl/objects.h>

#include "platform/core/x509/ZrX509Name.h"
#include "platform/x509api/ZrX509Csp.h"

using namespace zrx;
using namespace zrx::container;

TZrX509GenParams::TZrX509GenParams(const TZrXP12Params& p)
    : caption_(p.caption.isEmpty() ? p.alg : p.caption), name_(p.name), alg_(p.alg), keyAgreement_(p.keyAgreement) {
    if (p.algor) algor_ = X509_ALGOR_dup(p.algor);
}

TZrX509GenParams::~TZrX509GenParams() { X509_ALGOR_free(algor_); }

TCBaseRequestParamMaker::TCBaseRequestParamMaker(TCXProfileDescriptor* profile, TZrX509Csp* container)
    : profile_(profile), csp_(container) {
    // The profile's own extensions start the full list.
    if (profile_)
        for (int i = 0; i < profile_->extFormats.count(); ++i) {
            auto* e = new TCX509ExtEntry();
            if (failed(e->parse(profile_->extFormats[i].c_str()))) delete e;
            else fullExts_.add(e);
        }
}

TCBaseRequestParamMaker::~TCBaseRequestParamMaker() {
    clearCandidates();
    if (!challenge_.isEmpty()) OPENSSL_cleanse(challenge_.data(), challenge_.length());
}

void TCBaseRequestParamMaker::clearCandidates() {
    signCandidates_.clear();
    kaCandidates_.clear();
    sk_X509_ALGOR_pop_free(signStack_, X509_ALGOR_free);
    sk_X509_ALGOR_pop_free(kaStack_, X509_ALGOR_free);
    signStack_ = kaStack_ = nullptr;
    signIndex_ = kaIndex_ = -1;
}

namespace {

// An X25519 key cannot sign: its request is signed by a signature key.
bool signsOwnRequest(const crypto::KeyAlgorithm& alg) { return alg.kind != crypto::KeyAlgorithm::X25519; }

}  // namespace

bool TCBaseRequestParamMaker::containerSignatureKey() const {
    // A container about to start anew keeps nothing for the new keys.
    if (!csp_ || csp_->startsNew()) return false;
    const TCBaseUserKeysContext* ctx = csp_->container();
    return ctx->activeKey(kfSignature) || ctx->nextKey(kfSignature);
}

bool TCBaseRequestParamMaker::kaRequestSignable(int kaIndex, bool withSignKeys) const {
    const TZrX509GenParams* p = kaCandidate(kaIndex);
    if (!p || withSignKeys || signsOwnRequest(crypto::KeyAlgorithm::parse(p->algorithm().str()))) return true;
    return containerSignatureKey();
}

KResult TCBaseRequestParamMaker::initCtxCryptoPars(int profileId, int, int) {
    clearCandidates();
    signStack_ = sk_X509_ALGOR_new_null();
    kaStack_ = sk_X509_ALGOR_new_null();
    bool wantSign = !profile_ || profile_->hasSignKeys();
    bool wantKA = !profile_ || profile_->hasKAKeys();
    // Sets whose requests no key could sign are never offered.
    const bool kaNeedsOwnSignature = wantKA && !wantSign && !containerSignatureKey();
    int unsignable = 0;
    for (bool ka : {false, true}) {
        auto& list = ka ? kaCandidates_ : signCandidates_;
        STACK_OF(X509_ALGOR)* stack = ka ? kaStack_ : signStack_;
        const TZrXP12Params* def = template_.defaultParams(profileId, ka);
        for (const TZrXP12Params* p : template_.paramsFor(profileId, ka)) {
            const crypto::KeyAlgorithm alg = crypto::KeyAlgorithm::parse(p->alg.str());
            if (!alg.valid()) continue;
            if (ka && kaNeedsOwnSignature && !signsOwnRequest(alg)) {
                ++unsignable;
                continue;
            }
            if (p == def) (ka ? kaIndex_ : signIndex_) = int(list.size());
            list.push_back(std::make_unique<TZrX509GenParams>(*p));
            if (p->algor) sk_X509_ALGOR_push(stack, X509_ALGOR_dup(p->algor));
        }
        int& idx = ka ? kaIndex_ : signIndex_;
        if (idx < 0 && !list.empty()) idx = 0;
    }
    if (wantKA && kaCandidates_.empty() && unsignable > 0) return kErrNoSigningKey;
    if ((wantSign && signCandidates_.empty()) || (wantKA && kaCandidates_.empty())) return kErrNoCryptoParams;
    return 0;
}

const TZrX509GenParams* TCBaseRequestParamMaker::signCandidate(int i) const {
    return i >= 0 && i < int(signCandidates_.size()) ? signCandidates_[size_t(i)].get() : nullptr;
}

const TZrX509GenParams* TCBaseRequestParamMaker::kaCandidate(int i) const {
    return i >= 0 && i < int(kaCandidates_.size()) ? kaCandidates_[size_t(i)].get() : nullptr;
}

bool TCBaseRequestParamMaker::selectSignPars(int index) {
    if (index >= int(signCandidates_.size())) return false;
    signIndex_ = index < 0 ? -1 : index;
    return true;
}

bool TCBaseRequestParamMaker::selectKAPars(int index) {
    if (index >= int(kaCandidates_.size())) return false;
    kaIndex_ = index < 0 ? -1 : index;
    return true;
}

namespace {

// The subject entries a new owner fills in, in the order they are shown:
// the common name is required; surname and given names follow it, so that
// the name typed is split into them; the rest may stay empty.
void addNewOwnerEntries(TCX509NameList& names) {
    struct Entry {
        const char* name;
        int maxLength;
    };
    static const Entry kOptional[] = {{"title", 64}, {"O", 64}, {"OU", 64},    {"L", 128},
                                      {"ST", 128},   {"C", 2},  {"email", 128}};
    names.addAttribute("CN", "", false, 64);
    for (const char* n : {"SN", "GN"}) names.addAttribute(n, "", true, 64)->setFlag(xefNotRequired);
    for (const Entry& e : kOptional) names.addAttribute(e.name, "", true, e.maxLength)->setFlag(xefOptional);
}

}  // namespace

void TCBaseRequestParamMaker::setPattern(const TZrX509* pattern, bool copy) {
    pattern_.reset(pattern ? new TZrX509(*pattern) : nullptr);
    // Without a pattern the request is for a new owner.
    if (!pattern_ && names_.count() == 0) addNewOwnerEntries(names_);
    if (!pattern_ || !copy) return;
    if (const TZrX509Name* subject = pattern_->getSubject()) names_.fromX509Name(*subject);
    editExts_.fromX509v3(pattern_->extensions());
    // Key identifiers name the pattern's key and its issuer, not the new key's.
    for (int nid : {NID_subject_key_identifier, NID_authority_key_identifier})
        if (TCX509ExtEntry* e = editExts_.findByNid(nid)) editExts_.remove(e);
}

void TCBaseRequestParamMaker::assignChallengePassword(const char* text) {
    if (!challenge_.isEmpty()) OPENSSL_cleanse(challenge_.data(), challenge_.length());
    challenge_ = text ? text : "";
}

KResult TCBaseRequestParamMaker::generateKeys(TZrX509Csp* container, uint32_t flags, void*) {
    TZrX509Csp* csp = container ? container : csp_;
    if (!csp) return kErrInvalidArg;
    uint32_t kinds = flags & (kGenSignKeys | kGenKAKeys);
    if (!kinds) {
        if (flags_.isAny(0x100)) kinds |= kGenSignKeys;
        if (flags_.isAny(0x200)) kinds |= kGenKAKeys;
    }
    if (!kinds && profile_) kinds = profile_->flags & (PF_SIGN_KEYS | PF_KA_KEYS);
    if (!kinds) kinds = kGenSignKeys;

    TZrXGenJob job;
    if (kinds & kGenSignKeys) {
        const TZrX509GenParams* p = signParams();
        if (!p) return kErrNoCryptoParams;
        job.signAlg = crypto::KeyAlgorithm::parse(p->algorithm().str());
        if (!job.signAlg.valid() || job.signAlg.purpose() != crypto::kPurposeSign) return kErrAlgorithm;
    }
    if (kinds & kGenKAKeys) {
        const TZrX509GenParams* p = kaParams();
        if (!p) return kErrNoCryptoParams;
        job.kaAlg = crypto::KeyAlgorithm::parse(p->algorithm().str());
        if (!job.kaAlg.valid() || job.kaAlg.purpose() != crypto::kPurposeKA) return kErrAlgorithm;
    }
    // An X25519 key needs a signature key to vouch for its request.
    if (job.kaAlg.kind == crypto::KeyAlgorithm::X25519 && !job.signAlg.valid() &&
        !csp->container()->activeKey(kfSignature) && !csp->container()->nextKey(kfSignature))
        return kErrNoSigningKey;

    TZrX509Name subject;
    if (names_.count() > 0) {
        if (KResult rc = names_.toX509Name(subject); failed(rc)) return rc;
    } else if (pattern_ && pattern_->getSubject()) {
        subject = *pattern_->getSubject();
    }
    job.subject = subject.handle();
    // Callers that did not merge the profile's extensions themselves get them here.
    if (x509Exts_.count() == 0 && fullExts_.count() > 0) x509Exts_.mergeExts(fullExts_);
    job.extensions = x509Exts_.stack();
    job.challenge = challenge_.str();
    job.profile = profile_ ? profile_->id : -1;
    // Keys of a start certificate are start-up keys, due for change at once.
    if (flags_.isAny(0x400)) job.keyFlags |= kfStartup;

    TCBaseUserKeysContext* ctx = csp->container();
    if (ctx->profileId() < 0 && profile_) ctx->setProfileId(profile_->id);
    if (ctx->commonName().isEmpty()) {
        TCString cn = subject.ownerName();
        if (!cn.isEmpty()) ctx->setCommonName(cn.c_str());
    }
    return csp->generate(job);
}

// ------------------------------------------------------------ extension flags

namespace {

bool splitHas(const std::string& list, const std::string& item, std::vector<std::string>& parts) {
    parts.clear();
    bool has = false;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        std::string p = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        size_t a = p.find_first_not_of(" \t"), b = p.find_last_not_of(" \t");
        if (a != std::string::npos) {
            p = p.substr(a, b - a + 1);
            if (p == item) has = true;
            parts.push_back(p);
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return has;
}

}  // namespace

KResult setFlagsValue(TCXExtList* list, const char* extension, const char* value, uint32_t flags, uint32_t mask,
                      const char* mode, bool) {
    if (!list || !extension || !*extension || !value || !*value) return kErrInvalidArg;
    if (mode && *mode && TCString(mode).compareIC("set") != 0) return kErrInvalidArg;
    bool on = (flags & mask) != 0;
    TCXEditsEntry* entry = list->findByName(extension);
    int nid = OBJ_txt2nid(extension);
    if (!entry) {
        if (!on) return 0;
        if (nid == NID_undef) return kErrInvalidArg;
        return list->setValueTo(nid, false, value);
    }
    std::vector<std::string> parts;
    bool has = splitHas(entry->getValue().str(), value, parts);
    if (has == on) return 0;
    std::string text;
    if (on) parts.push_back(value);
    for (const std::string& p : parts) {
        if (!on && p == value) continue;
        if (!text.empty()) text += ",";
        text += p;
    }
    return entry->setValue(text.c_str());
}
