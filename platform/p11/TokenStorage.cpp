// Key containers on PKCS#11 tokens.
// EC_KEY and RSA methods are the way OpenSSL 3 lets a key sign through
// outside code without a provider of our own; their declarations are
// marked deprecated, so the marks are switched off for this file.
#define OPENSSL_SUPPRESS_DEPRECATED 1

#include "platform/p11/TokenStorage.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/param_build.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <cstring>
#include <mutex>

namespace zrx {

using namespace container;

namespace {

const char kOurLabel[] = "ZrX509";
const char kOurApp[] = "ZrX509";
const char kContentLabel[] = "ZrX509 content";
const char kMarkerLabel[] = "ZrX509 container";
const char kContentMagic[] = "ZRXT";
constexpr unsigned char kContentVersion = 1;

// PKCS#11 3.0 mechanism that older headers lack.
#ifndef CKM_EC_MONTGOMERY_KEY_PAIR_GEN
#define CKM_EC_MONTGOMERY_KEY_PAIR_GEN 0x1056UL
#endif
#ifndef CKK_EC_MONTGOMERY
#define CKK_EC_MONTGOMERY 0x41UL
#endif

CK_BBOOL kTrue = CK_TRUE;
CK_BBOOL kFalse = CK_FALSE;

CK_ATTRIBUTE attr(CK_ATTRIBUTE_TYPE type, const void* value, size_t len) {
    return CK_ATTRIBUTE{type, const_cast<void*>(value), len};
}
CK_ATTRIBUTE attrText(CK_ATTRIBUTE_TYPE type, const char* text) { return attr(type, text, std::strlen(text)); }
CK_ATTRIBUTE attrBool(CK_ATTRIBUTE_TYPE type, bool v) { return attr(type, v ? &kTrue : &kFalse, sizeof(CK_BBOOL)); }

size_t pinLen(const char* pin) { return pin ? strnlen(pin, 4096) : 0; }

// Library failures of the token keep their own codes; a missing token is
// the containers' "no such device".
KResult deviceResult(KResult rc) { return rc == P11_E_NO_TOKEN ? kErrNoDevice : rc; }

std::string derOfObject(int nid) {
    const ASN1_OBJECT* obj = OBJ_nid2obj(nid);
    if (!obj) return {};
    unsigned char* der = nullptr;
    const int len = i2d_ASN1_OBJECT(obj, &der);
    if (len <= 0) return {};
    std::string out(reinterpret_cast<char*>(der), static_cast<size_t>(len));
    OPENSSL_free(der);
    return out;
}

// CKA_EC_POINT is a DER OCTET STRING; some modules give the bare point.
std::string unwrapPoint(const std::string& value) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(value.data());
    ASN1_OCTET_STRING* os = d2i_ASN1_OCTET_STRING(nullptr, &p, static_cast<long>(value.size()));
    if (!os) return value;
    std::string out(reinterpret_cast<const char*>(ASN1_STRING_get0_data(os)), ASN1_STRING_length(os));
    ASN1_OCTET_STRING_free(os);
    return p == reinterpret_cast<const unsigned char*>(value.data()) + value.size() ? out : value;
}

crypto::PkeyPtr pkeyFromParams(const char* type, OSSL_PARAM_BLD* bld) {
    OSSL_PARAM* params = OSSL_PARAM_BLD_to_param(bld);
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, type, nullptr);
    EVP_PKEY* key = nullptr;
    if (params && ctx && EVP_PKEY_fromdata_init(ctx) == 1) EVP_PKEY_fromdata(ctx, &key, EVP_PKEY_PUBLIC_KEY, params);
    EVP_PKEY_CTX_free(ctx);
    OSSL_PARAM_free(params);
    return crypto::PkeyPtr(key);
}

// The public key of a key pair on the token as an OpenSSL key.
crypto::PkeyPtr readPublicKey(TCP11Token& token, CK_OBJECT_HANDLE pub, const crypto::KeyAlgorithm& alg) {
    std::string a, b;
    switch (alg.kind) {
    case crypto::KeyAlgorithm::EC:
    case crypto::KeyAlgorithm::ECDH: {
        if (isFailure(token.getAttribute(pub, CKA_EC_POINT, a))) return nullptr;
        const std::string point = unwrapPoint(a);
        OSSL_PARAM_BLD* bld = OSSL_PARAM_BLD_new();
        const char* curve = OBJ_nid2sn(alg.curveNid);
        crypto::PkeyPtr key;
        if (bld && curve && OSSL_PARAM_BLD_push_utf8_string(bld, OSSL_PKEY_PARAM_GROUP_NAME, curve, 0) == 1 &&
            OSSL_PARAM_BLD_push_octet_string(bld, OSSL_PKEY_PARAM_PUB_KEY, point.data(), point.size()) == 1)
            key = pkeyFromParams("EC", bld);
        OSSL_PARAM_BLD_free(bld);
        return key;
    }
    case crypto::KeyAlgorithm::RSA: {
        if (isFailure(token.getAttribute(pub, CKA_MODULUS, a)) ||
            isFailure(token.getAttribute(pub, CKA_PUBLIC_EXPONENT, b)))
            return nullptr;
        BIGNUM* n = BN_bin2bn(reinterpret_cast<const unsigned char*>(a.data()), static_cast<int>(a.size()), nullptr);
        BIGNUM* e = BN_bin2bn(reinterpret_cast<const unsigned char*>(b.data()), static_cast<int>(b.size()), nullptr);
        OSSL_PARAM_BLD* bld = OSSL_PARAM_BLD_new();
        crypto::PkeyPtr key;
        if (bld && n && e && OSSL_PARAM_BLD_push_BN(bld, OSSL_PKEY_PARAM_RSA_N, n) == 1 &&
            OSSL_PARAM_BLD_push_BN(bld, OSSL_PKEY_PARAM_RSA_E, e) == 1)
            key = pkeyFromParams("RSA", bld);
        OSSL_PARAM_BLD_free(bld);
        BN_free(n);
        BN_free(e);
        return key;
    }
    case crypto::KeyAlgorithm::X25519: {
        if (isFailure(token.getAttribute(pub, CKA_EC_POINT, a))) return nullptr;
        const std::string raw = unwrapPoint(a);
        return crypto::PkeyPtr(EVP_PKEY_new_raw_public_key(
            EVP_PKEY_X25519, nullptr, reinterpret_cast<const unsigned char*>(raw.data()), raw.size()));
    }
    default: return nullptr;
    }
}

// ---- signing through the token ----

struct SignContext {
    std::unique_ptr<TCP11Token> token;
    CK_OBJECT_HANDLE key = CK_INVALID_HANDLE;
};

void freeSignContext(void*, void* ptr, CRYPTO_EX_DATA*, int, long, void*) { delete static_cast<SignContext*>(ptr); }

int ecIndex() {
    static const int index = EC_KEY_get_ex_new_index(0, nullptr, nullptr, nullptr, freeSignContext);
    return index;
}
int rsaIndex() {
    static const int index = RSA_get_ex_new_index(0, nullptr, nullptr, nullptr, freeSignContext);
    return index;
}

// ECDSA on the token; the raw r||s signature becomes an ECDSA_SIG, which
// OpenSSL then writes in its DER form.
ECDSA_SIG* tokenEcdsaSign(const unsigned char* dgst, int dlen, const BIGNUM*, const BIGNUM*, EC_KEY* ec) {
    auto* ctx = static_cast<SignContext*>(EC_KEY_get_ex_data(ec, ecIndex()));
    if (!ctx || !ctx->token || dlen < 0) return nullptr;
    CK_MECHANISM mech{CKM_ECDSA, nullptr, 0};
    std::string sig;
    if (isFailure(ctx->token->sign(ctx->key, mech, std::string(reinterpret_cast<const char*>(dgst), dlen), sig)) ||
        sig.empty() || sig.size() % 2)
        return nullptr;
    const int half = static_cast<int>(sig.size() / 2);
    const auto* raw = reinterpret_cast<const unsigned char*>(sig.data());
    BIGNUM* r = BN_bin2bn(raw, half, nullptr);
    BIGNUM* s = BN_bin2bn(raw + half, half, nullptr);
    ECDSA_SIG* out = ECDSA_SIG_new();
    if (!r || !s || !out || ECDSA_SIG_set0(out, r, s) != 1) {
        BN_free(r);
        BN_free(s);
        ECDSA_SIG_free(out);
        return nullptr;
    }
    return out;
}

const EC_KEY_METHOD* tokenEcMethod() {
    static EC_KEY_METHOD* method = [] {
        EC_KEY_METHOD* m = EC_KEY_METHOD_new(EC_KEY_OpenSSL());
        int (*sign)(int, const unsigned char*, int, unsigned char*, unsigned int*, const BIGNUM*, const BIGNUM*,
                    EC_KEY*) = nullptr;
        int (*setup)(EC_KEY*, BN_CTX*, BIGNUM**, BIGNUM**) = nullptr;
        EC_KEY_METHOD_get_sign(m, &sign, &setup, nullptr);
        EC_KEY_METHOD_set_sign(m, sign, setup, tokenEcdsaSign);
        return m;
    }();
    return method;
}

// RSA PKCS#1 v1.5: OpenSSL builds the DigestInfo, the token pads and signs.
int tokenRsaPrivEnc(int flen, const unsigned char* from, unsigned char* to, RSA* rsa, int padding) {
    auto* ctx = static_cast<SignContext*>(RSA_get_ex_data(rsa, rsaIndex()));
    if (!ctx || !ctx->token || padding != RSA_PKCS1_PADDING || flen < 0) return -1;
    CK_MECHANISM mech{CKM_RSA_PKCS, nullptr, 0};
    std::string sig;
    if (isFailure(ctx->token->sign(ctx->key, mech, std::string(reinterpret_cast<const char*>(from), flen), sig)) ||
        sig.size() > static_cast<size_t>(RSA_size(rsa)))
        return -1;
    std::memcpy(to, sig.data(), sig.size());
    return static_cast<int>(sig.size());
}

const RSA_METHOD* tokenRsaMethod() {
    static RSA_METHOD* method = [] {
        RSA_METHOD* m = RSA_meth_dup(RSA_PKCS1_OpenSSL());
        RSA_meth_set1_name(m, "ZrX509 PKCS#11 token");
        RSA_meth_set_priv_enc(m, tokenRsaPrivEnc);
        return m;
    }();
    return method;
}

// ---- content object ----

struct ContentCopy {
    CK_OBJECT_HANDLE handle;
    uint64_t generation;
};

KResult findOurData(TCP11Token& token, const char* label, std::vector<CK_OBJECT_HANDLE>& out) {
    CK_OBJECT_CLASS cls = CKO_DATA;
    return token.findObjects(
        {attr(CKA_CLASS, &cls, sizeof cls), attrText(CKA_APPLICATION, kOurApp), attrText(CKA_LABEL, label)}, out);
}

KResult findContent(TCP11Token& token, std::vector<ContentCopy>& copies, SecureBytes* newest) {
    copies.clear();
    std::vector<CK_OBJECT_HANDLE> objects;
    if (KResult rc = findOurData(token, kContentLabel, objects); isFailure(rc)) return rc;
    std::string best;
    uint64_t bestGen = 0;
    for (CK_OBJECT_HANDLE h : objects) {
        std::string v;
        if (isFailure(token.getAttribute(h, CKA_VALUE, v))) continue;
        uint64_t gen = 0;
        if (v.size() >= 13 && v.compare(0, 4, kContentMagic) == 0 &&
            static_cast<unsigned char>(v[4]) == kContentVersion) {
            for (int i = 0; i < 8; ++i) gen = (gen << 8) | static_cast<unsigned char>(v[5 + i]);
        }
        copies.push_back({h, gen});
        if (best.empty() || gen > bestGen) {
            secureWipe(best.data(), best.size());
            best = std::move(v);
            bestGen = gen;
        }
        secureWipe(v.data(), v.size());
    }
    if (newest) newest->assignBytes(best.data(), best.size());
    secureWipe(best.data(), best.size());
    return 0;
}

// Our objects of one class carrying an identifier (empty id: all of ours).
KResult findOurObjects(TCP11Token& token, CK_OBJECT_CLASS cls, const std::string& id,
                       std::vector<CK_OBJECT_HANDLE>& out) {
    std::vector<CK_ATTRIBUTE> t = {attr(CKA_CLASS, &cls, sizeof cls), attrText(CKA_LABEL, kOurLabel)};
    if (!id.empty()) t.push_back(attr(CKA_ID, id.data(), id.size()));
    return token.findObjects(t, out);
}

KResult removeKeyObjects(TCP11Token& token, const std::string& id) {
    for (CK_OBJECT_CLASS cls : {CKO_PRIVATE_KEY, CKO_PUBLIC_KEY}) {
        std::vector<CK_OBJECT_HANDLE> objs;
        if (KResult rc = findOurObjects(token, cls, id, objs); isFailure(rc)) return rc;
        for (CK_OBJECT_HANDLE h : objs)
            if (KResult rc = token.destroyObject(h); isFailure(rc)) return rc;
    }
    return 0;
}

// ---- importing software keys ----

std::string bnParam(EVP_PKEY* key, const char* name, size_t width = 0) {
    BIGNUM* bn = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &bn) != 1 || !bn) return {};
    const int n = width ? static_cast<int>(width) : BN_num_bytes(bn);
    std::string out(static_cast<size_t>(n), '\0');
    if (BN_bn2binpad(bn, reinterpret_cast<unsigned char*>(out.data()), n) != n) out.clear();
    BN_clear_free(bn);
    return out;
}

// A DER OCTET STRING around the bytes (CKA_EC_POINT).
std::string octetString(const std::string& bytes) {
    ASN1_OCTET_STRING* os = ASN1_OCTET_STRING_new();
    std::string out;
    unsigned char* der = nullptr;
    if (os && ASN1_OCTET_STRING_set(os, reinterpret_cast<const unsigned char*>(bytes.data()),
                                    static_cast<int>(bytes.size())) == 1) {
        const int len = i2d_ASN1_OCTET_STRING(os, &der);
        if (len > 0) out.assign(reinterpret_cast<char*>(der), static_cast<size_t>(len));
    }
    OPENSSL_free(der);
    ASN1_OCTET_STRING_free(os);
    return out;
}

// Writes a key record's PKCS#8 private key onto the token as a key pair of
// our objects: the private key sensitive and not extractable, both with
// CKA_ID = the key identifier. A key already there is left as it is. The
// objects made are added to made, so that a failed save can remove them.
KResult importKey(TCP11Token& token, const KeyRecord& rec, std::vector<CK_OBJECT_HANDLE>& made) {
    crypto::PkeyPtr key = crypto::importPkcs8(rec.pkcs8);
    if (!key) return kErrFormat;
    // The record must describe the key it carries.
    if (rec.id.empty() || crypto::keyIdOf(key.get()) != rec.id) return kErrFormat;
    std::vector<CK_OBJECT_HANDLE> existing;
    if (KResult rc = findOurObjects(token, CKO_PRIVATE_KEY, rec.id, existing); isFailure(rc)) return rc;
    if (!existing.empty()) return 0;

    const bool sign = rec.purpose == crypto::kPurposeSign;
    CK_OBJECT_CLASS privClass = CKO_PRIVATE_KEY, pubClass = CKO_PUBLIC_KEY;
    CK_KEY_TYPE type = 0;
    // Values the templates point to live here until the objects are made.
    SecureBytes secrets[6];
    std::string pubValues[2], params;
    std::vector<CK_ATTRIBUTE> priv, pub;
    auto secret = [&](int i, std::string v) {
        secrets[i].assignBytes(v.data(), v.size());
        secureWipe(v.data(), v.size());
        return !secrets[i].empty();
    };
    auto secretAttr = [&](CK_ATTRIBUTE_TYPE t, int i) { return attr(t, secrets[i].data(), secrets[i].size()); };
    switch (EVP_PKEY_get_base_id(key.get())) {
    case EVP_PKEY_EC: {
        char group[80] = {};
        size_t glen = 0;
        if (EVP_PKEY_get_utf8_string_param(key.get(), OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, &glen) != 1)
            return kErrAlgorithm;
        int nid = OBJ_sn2nid(group);
        if (nid == NID_undef) nid = EC_curve_nist2nid(group);
        params = derOfObject(nid);
        unsigned char point[200];
        size_t plen = 0;
        if (params.empty() || EVP_PKEY_get_octet_string_param(key.get(), OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY, point,
                                                              sizeof point, &plen) != 1)
            return kErrAlgorithm;
        pubValues[0] = octetString(std::string(reinterpret_cast<char*>(point), plen));
        const size_t width = (static_cast<size_t>(EVP_PKEY_get_bits(key.get())) + 7) / 8;
        if (!secret(0, bnParam(key.get(), OSSL_PKEY_PARAM_PRIV_KEY, width)) || pubValues[0].empty()) return kErrCrypto;
        type = CKK_EC;
        priv = {attr(CKA_EC_PARAMS, params.data(), params.size()), secretAttr(CKA_VALUE, 0)};
        pub = {attr(CKA_EC_PARAMS, params.data(), params.size()),
               attr(CKA_EC_POINT, pubValues[0].data(), pubValues[0].size())};
        break;
    }
    case EVP_PKEY_RSA: {
        pubValues[0] = bnParam(key.get(), OSSL_PKEY_PARAM_RSA_N);
        pubValues[1] = bnParam(key.get(), OSSL_PKEY_PARAM_RSA_E);
        const char* names[] = {OSSL_PKEY_PARAM_RSA_D,         OSSL_PKEY_PARAM_RSA_FACTOR1,
                               OSSL_PKEY_PARAM_RSA_FACTOR2,   OSSL_PKEY_PARAM_RSA_EXPONENT1,
                               OSSL_PKEY_PARAM_RSA_EXPONENT2, OSSL_PKEY_PARAM_RSA_COEFFICIENT1};
        for (int i = 0; i < 6; ++i)
            if (!secret(i, bnParam(key.get(), names[i]))) return kErrCrypto;
        if (pubValues[0].empty() || pubValues[1].empty()) return kErrCrypto;
        type = CKK_RSA;
        priv = {attr(CKA_MODULUS, pubValues[0].data(), pubValues[0].size()),
                attr(CKA_PUBLIC_EXPONENT, pubValues[1].data(), pubValues[1].size()),
                secretAttr(CKA_PRIVATE_EXPONENT, 0),
                secretAttr(CKA_PRIME_1, 1),
                secretAttr(CKA_PRIME_2, 2),
                secretAttr(CKA_EXPONENT_1, 3),
                secretAttr(CKA_EXPONENT_2, 4),
                secretAttr(CKA_COEFFICIENT, 5)};
        pub = {attr(CKA_MODULUS, pubValues[0].data(), pubValues[0].size()),
               attr(CKA_PUBLIC_EXPONENT, pubValues[1].data(), pubValues[1].size())};
        break;
    }
    case EVP_PKEY_X25519: {
        unsigned char raw[32];
        size_t len = sizeof raw;
        if (EVP_PKEY_get_raw_public_key(key.get(), raw, &len) != 1) return kErrCrypto;
        pubValues[0] = octetString(std::string(reinterpret_cast<char*>(raw), len));
        len = sizeof raw;
        if (EVP_PKEY_get_raw_private_key(key.get(), raw, &len) != 1) return kErrCrypto;
        secrets[0].assignBytes(raw, len);
        OPENSSL_cleanse(raw, sizeof raw);
        params = derOfObject(NID_X25519);
        type = CKK_EC_MONTGOMERY;
        priv = {attr(CKA_EC_PARAMS, params.data(), params.size()), secretAttr(CKA_VALUE, 0)};
        pub = {attr(CKA_EC_PARAMS, params.data(), params.size()),
               attr(CKA_EC_POINT, pubValues[0].data(), pubValues[0].size())};
        break;
    }
    default:
        // Ed25519 and other keys could not sign through the token here.
        return kErrAlgorithm;
    }
    std::vector<CK_ATTRIBUTE> common = {attr(CKA_KEY_TYPE, &type, sizeof type), attrBool(CKA_TOKEN, true),
                                        attrText(CKA_LABEL, kOurLabel), attr(CKA_ID, rec.id.data(), rec.id.size())};
    priv.insert(priv.end(), common.begin(), common.end());
    pub.insert(pub.end(), common.begin(), common.end());
    priv.insert(priv.end(), {attr(CKA_CLASS, &privClass, sizeof privClass), attrBool(CKA_PRIVATE, true),
                             attrBool(CKA_SENSITIVE, true), attrBool(CKA_EXTRACTABLE, false),
                             attrBool(sign ? CKA_SIGN : CKA_DERIVE, true)});
    pub.insert(pub.end(), {attr(CKA_CLASS, &pubClass, sizeof pubClass), attrBool(CKA_PRIVATE, false),
                           attrBool(sign ? CKA_VERIFY : CKA_DERIVE, true)});
    CK_OBJECT_HANDLE h = CK_INVALID_HANDLE;
    if (KResult rc = token.createObject(priv, h); isFailure(rc)) {
        // A module that does not know the key type says so through the
        // template (SoftHSM2 and X25519).
        for (CK_RV rv : {CKR_ATTRIBUTE_VALUE_INVALID, CKR_ATTRIBUTE_TYPE_INVALID, CKR_KEY_TYPE_INCONSISTENT,
                         CKR_TEMPLATE_INCONSISTENT})
            if (rc == p11Result(rv)) return kErrAlgorithm;
        return rc;
    }
    made.push_back(h);
    if (KResult rc = token.createObject(pub, h); isFailure(rc)) return rc;
    made.push_back(h);
    return 0;
}

// True when everything on the token (seen after a user login) is a key of
// ours: no content, no certificates, nothing of anyone else.
bool holdsOnlyUnsavedKeys(TCP11Token& token) {
    std::vector<CK_OBJECT_HANDLE> objs;
    if (isFailure(token.findObjects({}, objs))) return false;
    for (CK_OBJECT_HANDLE h : objs) {
        std::string cls, label;
        if (isFailure(token.getAttribute(h, CKA_CLASS, cls)) || cls.size() != sizeof(CK_OBJECT_CLASS) ||
            isFailure(token.getAttribute(h, CKA_LABEL, label)) || label != kOurLabel)
            return false;
        CK_OBJECT_CLASS c;
        std::memcpy(&c, cls.data(), sizeof c);
        if (c != CKO_PRIVATE_KEY && c != CKO_PUBLIC_KEY) return false;
    }
    return true;
}

std::string subjectOf(const std::string& certDer, std::string* keyId) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(certDer.data());
    X509* x = d2i_X509(nullptr, &p, static_cast<long>(certDer.size()));
    if (!x) return {};
    unsigned char* der = nullptr;
    const int len = i2d_X509_NAME(X509_get_subject_name(x), &der);
    std::string out = len > 0 ? std::string(reinterpret_cast<char*>(der), static_cast<size_t>(len)) : std::string();
    OPENSSL_free(der);
    if (keyId) *keyId = crypto::keyIdOf(X509_get0_pubkey(x));
    X509_free(x);
    return out;
}

}  // namespace

// ---- TCTokenKeyStorage ----

TCTokenKeyStorage::TCTokenKeyStorage(std::string location) : location_(std::move(location)) {
    tokenName_ = location_.size() > 2 && location_[0] == kTokenPrefix && location_[1] == ':' ? location_.substr(2)
                                                                                             : std::string();
}

KResult TCTokenKeyStorage::open(TCP11Token& token, const char* pin, bool readWrite, FreshToken fresh,
                                bool* onStartingPin) const {
    if (onStartingPin) *onStartingPin = false;
    if (tokenName_.empty()) return kErrInvalidArg;
    TCP11Slot* slot = nullptr;
    if (KResult rc = findTokenSlot(tokenName_.c_str(), &slot); isFailure(rc)) {
        message_ = p11ResultText(rc);
        return deviceResult(rc);
    }
    KResult rc = token.startSession(slot, readWrite);
    if (isFailure(rc) || !pin) {
        if (isFailure(rc)) message_ = slot->message();
        return rc;
    }
    const char* startingPin = getCTXDef_p();
    // The marker is public: a token showing it holds a saved container, and
    // its PIN is that container's password, never the starting PIN.
    std::vector<CK_OBJECT_HANDLE> markers;
    const bool saved = !isFailure(findOurData(token, kMarkerLabel, markers)) && !markers.empty();
    if (saved || std::strcmp(pin, startingPin) == 0) {
        rc = token.login(pin, false);
    } else {
        // No container saved yet: most likely the starting PIN. Once it logs
        // in, the PIN given is known not to be the token's and is not tried.
        rc = token.login(startingPin, false);
        if (!isFailure(rc)) {
            if (fresh == FreshToken::useStartingPin && holdsOnlyUnsavedKeys(token)) {
                if (onStartingPin) *onStartingPin = true;
                return 0;
            }
            token.closeSession();
            rc = slot->fail(p11Result(CKR_PIN_INCORRECT), "Вход на токен");
        } else if (rc == p11Result(CKR_PIN_INCORRECT)) {
            // A token set up elsewhere with a PIN of its own.
            rc = token.login(pin, false);
        }
    }
    if (isFailure(rc)) {
        message_ = slot->message();
        token.closeSession();
    }
    return rc;
}

bool TCTokenKeyStorage::exists() const {
    TCP11Token token;
    if (isFailure(open(token, nullptr, false))) return false;
    std::vector<CK_OBJECT_HANDLE> objs;
    return !isFailure(findOurData(token, kMarkerLabel, objs)) && !objs.empty();
}

KResult TCTokenKeyStorage::load(const char* password, ContainerImage& out) {
    if (!password) return kErrPassword;
    TCP11Token token;
    if (KResult rc = open(token, password, false); isFailure(rc)) return rc;
    std::vector<ContentCopy> copies;
    SecureBytes value;
    if (KResult rc = findContent(token, copies, &value); isFailure(rc)) return rc;
    if (copies.empty()) return kErrNoFile;
    if (value.size() < 13 || std::memcmp(value.data(), kContentMagic, 4) != 0) return kErrFormat;
    if (value[4] != kContentVersion) return kErrVersion;
    ContainerImage image;
    if (KResult rc = parseContent(value.data() + 13, value.size() - 13, image); isFailure(rc)) return rc;
    // Every key the content names must still be on the token.
    for (const KeyRecord& k : image.keys) {
        if (k.handle.empty()) continue;
        std::vector<CK_OBJECT_HANDLE> objs;
        if (KResult rc = findOurObjects(token, CKO_PRIVATE_KEY, k.id, objs); isFailure(rc)) return rc;
        if (objs.empty()) return kErrFormat;
    }
    image.meta.mediaType = kTokenMediaType;
    image.meta.location = location_;
    out = std::move(image);
    return 0;
}

KResult TCTokenKeyStorage::save(const char* password, const ContainerImage& in) {
    if (!password) return kErrPassword;
    TCP11Token token;
    bool onStartingPin = false;
    if (KResult rc = open(token, password, true, FreshToken::useStartingPin, &onStartingPin); isFailure(rc)) return rc;
    // What the token holds now: it stays until the new content stands.
    std::vector<ContentCopy> copies;
    if (KResult rc = findContent(token, copies, nullptr); isFailure(rc)) return rc;
    std::vector<CK_OBJECT_HANDLE> oldMarkers, oldCerts;
    if (KResult rc = findOurData(token, kMarkerLabel, oldMarkers); isFailure(rc)) return rc;
    if (KResult rc = findOurObjects(token, CKO_CERTIFICATE, {}, oldCerts); isFailure(rc)) return rc;
    uint64_t gen = 0;
    for (const ContentCopy& c : copies) gen = std::max(gen, c.generation);
    ++gen;

    ContainerImage image = in;
    image.meta.mediaType = kTokenMediaType;
    image.meta.location = location_;
    // Everything this save creates; a failure takes it away again, newest first.
    std::vector<CK_OBJECT_HANDLE> made;
    auto undo = [&](KResult rc, const char* text = nullptr) {
        message_ = text ? text : token.slot()->message();
        for (auto it = made.rbegin(); it != made.rend(); ++it) token.destroyObject(*it);
        return rc;
    };
    // Private keys held in software (a file container saved onto the token)
    // go onto the token as keys; the content never carries them. A key that
    // cannot be imported refuses the whole save.
    for (KeyRecord& k : image.keys) {
        if (k.role == kRoleStorage || k.pkcs8.empty()) continue;
        if (KResult rc = importKey(token, k, made); isFailure(rc)) return undo(rc, containerCodeText(rc));
        k.pkcs8.wipe();
        k.handle = crypto::hexOf(k.id);
    }

    // Certificate objects mirror the content's certificates; one already on
    // the token stays as it is.
    std::vector<bool> certKept(oldCerts.size(), false);
    CK_OBJECT_CLASS certClass = CKO_CERTIFICATE;
    CK_CERTIFICATE_TYPE certType = CKC_X_509;
    for (const CertRecord& c : image.certs) {
        std::string id;
        const std::string subject = subjectOf(c.der, &id);
        if (subject.empty()) continue;
        bool present = false;
        for (size_t i = 0; i < oldCerts.size() && !present; ++i) {
            std::string value;
            if (!certKept[i] && !isFailure(token.getAttribute(oldCerts[i], CKA_VALUE, value)) && value == c.der)
                present = certKept[i] = true;
        }
        if (present) continue;
        std::vector<CK_ATTRIBUTE> t = {attr(CKA_CLASS, &certClass, sizeof certClass),
                                       attr(CKA_CERTIFICATE_TYPE, &certType, sizeof certType),
                                       attrBool(CKA_TOKEN, true),
                                       attrBool(CKA_PRIVATE, false),
                                       attrText(CKA_LABEL, kOurLabel),
                                       attr(CKA_SUBJECT, subject.data(), subject.size()),
                                       attr(CKA_ID, id.data(), id.size()),
                                       attr(CKA_VALUE, c.der.data(), c.der.size())};
        CK_OBJECT_HANDLE h = CK_INVALID_HANDLE;
        if (KResult rc = token.createObject(t, h); isFailure(rc)) return undo(rc);
        made.push_back(h);
    }

    // The public marker names the container; one with the same name stays.
    CK_OBJECT_CLASS dataClass = CKO_DATA;
    const std::string& name = image.meta.name;
    std::vector<bool> markerKept(oldMarkers.size(), false);
    bool markerPresent = false;
    for (size_t i = 0; i < oldMarkers.size() && !markerPresent; ++i) {
        std::string value;
        if (!isFailure(token.getAttribute(oldMarkers[i], CKA_VALUE, value)) && value == name)
            markerPresent = markerKept[i] = true;
    }
    if (!markerPresent) {
        std::vector<CK_ATTRIBUTE> marker = {attr(CKA_CLASS, &dataClass, sizeof dataClass),
                                            attrBool(CKA_TOKEN, true),
                                            attrBool(CKA_PRIVATE, false),
                                            attrText(CKA_APPLICATION, kOurApp),
                                            attrText(CKA_LABEL, kMarkerLabel),
                                            attr(CKA_VALUE, name.data(), name.size())};
        CK_OBJECT_HANDLE h = CK_INVALID_HANDLE;
        if (KResult rc = token.createObject(marker, h); isFailure(rc)) return undo(rc);
        made.push_back(h);
    }

    // The content last: once it stands, loading reads it.
    SecureBytes body;
    serializeContentTo(image, body);
    SecureBytes value;
    value.assignBytes(kContentMagic, 4);
    value.push_back(kContentVersion);
    for (int i = 7; i >= 0; --i) value.push_back(static_cast<uint8_t>(gen >> (8 * i)));
    value.insert(value.end(), body.begin(), body.end());
    std::vector<CK_ATTRIBUTE> content = {attr(CKA_CLASS, &dataClass, sizeof dataClass),
                                         attrBool(CKA_TOKEN, true),
                                         attrBool(CKA_PRIVATE, true),
                                         attrBool(CKA_MODIFIABLE, true),
                                         attrText(CKA_APPLICATION, kOurApp),
                                         attrText(CKA_LABEL, kContentLabel),
                                         attr(CKA_VALUE, value.data(), value.size())};
    CK_OBJECT_HANDLE created = CK_INVALID_HANDLE;
    if (KResult rc = token.createObject(content, created); isFailure(rc)) return undo(rc);
    made.push_back(created);

    // A fresh token takes the container password as its PIN only now that
    // everything else is written; refused, the save is undone whole.
    if (onStartingPin)
        if (KResult rc = token.changeUserPin(getCTXDef_p(), password); isFailure(rc)) return undo(rc);

    // The old objects go. One that stays behind (the token failing now) is
    // harmless: an older content copy is never read, and the next save
    // clears what is left.
    for (const ContentCopy& c : copies) token.destroyObject(c.handle);
    for (size_t i = 0; i < oldMarkers.size(); ++i)
        if (!markerKept[i]) token.destroyObject(oldMarkers[i]);
    for (size_t i = 0; i < oldCerts.size(); ++i)
        if (!certKept[i]) token.destroyObject(oldCerts[i]);
    return 0;
}

KResult TCTokenKeyStorage::generateKey(const crypto::KeyAlgorithm& alg, const char* password, KeyRecord& rec) {
    if (!password) return kErrPassword;
    CK_MECHANISM mech{0, nullptr, 0};
    std::string params;
    CK_ULONG bits = 0;
    const unsigned char rsaExponent[] = {0x01, 0x00, 0x01};
    switch (alg.kind) {
    case crypto::KeyAlgorithm::EC:
    case crypto::KeyAlgorithm::ECDH:
        mech.mechanism = CKM_EC_KEY_PAIR_GEN;
        params = derOfObject(alg.curveNid);
        break;
    case crypto::KeyAlgorithm::RSA:
        mech.mechanism = CKM_RSA_PKCS_KEY_PAIR_GEN;
        bits = static_cast<CK_ULONG>(alg.bits);
        break;
    case crypto::KeyAlgorithm::X25519:
        mech.mechanism = CKM_EC_MONTGOMERY_KEY_PAIR_GEN;
        params = derOfObject(NID_X25519);
        break;
    default:
        // Ed25519 keys on a token could not sign through OpenSSL here.
        return kErrAlgorithm;
    }
    const bool sign = alg.canSign();
    TCP11Token token;
    if (KResult rc = open(token, password, true, FreshToken::useStartingPin); isFailure(rc)) return rc;

    // A random identifier until the key identifier is known.
    unsigned char tmpId[20];
    if (RAND_bytes(tmpId, sizeof tmpId) != 1) return kErrKeyGen;
    std::vector<CK_ATTRIBUTE> pub = {attrBool(CKA_TOKEN, true), attrBool(CKA_PRIVATE, false),
                                     attrText(CKA_LABEL, kOurLabel), attr(CKA_ID, tmpId, sizeof tmpId)};
    std::vector<CK_ATTRIBUTE> priv = {attrBool(CKA_TOKEN, true),
                                      attrBool(CKA_PRIVATE, true),
                                      attrBool(CKA_SENSITIVE, true),
                                      attrBool(CKA_EXTRACTABLE, false),
                                      attrText(CKA_LABEL, kOurLabel),
                                      attr(CKA_ID, tmpId, sizeof tmpId),
                                      attrBool(sign ? CKA_SIGN : CKA_DERIVE, true)};
    pub.push_back(attrBool(sign ? CKA_VERIFY : CKA_DERIVE, true));
    if (!params.empty()) pub.push_back(attr(CKA_EC_PARAMS, params.data(), params.size()));
    if (bits) {
        pub.push_back(attr(CKA_MODULUS_BITS, &bits, sizeof bits));
        pub.push_back(attr(CKA_PUBLIC_EXPONENT, rsaExponent, sizeof rsaExponent));
    }
    CK_OBJECT_HANDLE hPub, hPriv;
    if (KResult rc = token.generateKeyPair(mech, pub, priv, hPub, hPriv); isFailure(rc)) {
        message_ = token.slot()->message();
        return rc;
    }
    crypto::PkeyPtr key = readPublicKey(token, hPub, alg);
    const std::string spki = key ? crypto::publicKeyDer(key.get()) : std::string();
    const std::string id = spki.empty() ? std::string() : crypto::keyIdOfSpki(spki);
    if (id.empty() || isFailure(token.setAttribute(hPub, CKA_ID, id)) ||
        isFailure(token.setAttribute(hPriv, CKA_ID, id))) {
        token.destroyObject(hPub);
        token.destroyObject(hPriv);
        return kErrKeyGen;
    }
    rec.algorithm = alg.text();
    rec.purpose = alg.purpose();
    rec.publicKey = spki;
    rec.id = id;
    rec.pkcs8.wipe();
    rec.handle = crypto::hexOf(id);
    return 0;
}

crypto::PkeyPtr TCTokenKeyStorage::signingKey(const KeyRecord& rec, const char* password) {
    // Keys kept in software (none are made here, but content may hold them).
    if (!rec.pkcs8.empty()) return TCKeyStorage::signingKey(rec, password);
    if (!password || rec.id.empty()) return nullptr;
    crypto::PkeyPtr pub = crypto::publicKeyFromDer(rec.publicKey);
    if (!pub) return nullptr;
    auto ctx = std::make_unique<SignContext>();
    ctx->token = std::make_unique<TCP11Token>();
    if (isFailure(open(*ctx->token, password, false, FreshToken::useStartingPin))) return nullptr;
    std::vector<CK_OBJECT_HANDLE> objs;
    if (isFailure(findOurObjects(*ctx->token, CKO_PRIVATE_KEY, rec.id, objs)) || objs.empty()) return nullptr;
    ctx->key = objs[0];

    crypto::PkeyPtr out(EVP_PKEY_new());
    if (!out) return nullptr;
    switch (EVP_PKEY_get_base_id(pub.get())) {
    case EVP_PKEY_EC: {
        EC_KEY* ec = EVP_PKEY_get1_EC_KEY(pub.get());
        if (!ec || EC_KEY_set_method(ec, tokenEcMethod()) != 1 || EC_KEY_set_ex_data(ec, ecIndex(), ctx.get()) != 1) {
            EC_KEY_free(ec);
            return nullptr;
        }
        ctx.release();  // the key owns it now
        if (EVP_PKEY_assign_EC_KEY(out.get(), ec) != 1) {
            EC_KEY_free(ec);
            return nullptr;
        }
        return out;
    }
    case EVP_PKEY_RSA: {
        RSA* rsa = EVP_PKEY_get1_RSA(pub.get());
        if (!rsa || RSA_set_method(rsa, tokenRsaMethod()) != 1 || RSA_set_ex_data(rsa, rsaIndex(), ctx.get()) != 1) {
            RSA_free(rsa);
            return nullptr;
        }
        ctx.release();
        if (EVP_PKEY_assign_RSA(out.get(), rsa) != 1) {
            RSA_free(rsa);
            return nullptr;
        }
        return out;
    }
    default: return nullptr;
    }
}

KResult TCTokenKeyStorage::findKeys(const char*, uint32_t purposeMask, std::string* storageName) {
    if (storageName) storageName->clear();
    TCP11Token token;
    // Without a login: public key objects show every key pair, and a login
    // with the password typed for new keys would count toward the lock-out.
    if (KResult rc = open(token, nullptr, false); isFailure(rc)) return rc;
    if (storageName) *storageName = tokenName_;
    const CK_OBJECT_CLASS cls = CKO_PUBLIC_KEY;
    for (uint32_t purpose : {crypto::kPurposeSign, crypto::kPurposeKA}) {
        if (!(purposeMask & purpose)) continue;
        const CK_ATTRIBUTE_TYPE use = purpose == crypto::kPurposeSign ? CKA_VERIFY : CKA_DERIVE;
        std::vector<CK_OBJECT_HANDLE> objs;
        if (KResult rc = token.findObjects({attr(CKA_CLASS, &cls, sizeof cls), attrBool(use, true)}, objs);
            isFailure(rc))
            return rc;
        if (!objs.empty()) return 0;
    }
    return kErrNotFound;
}

KResult TCTokenKeyStorage::clean(const char* password, uint32_t purposeMask) {
    if (!password) return kErrPassword;
    ContainerImage image;
    const KResult loaded = load(password, image);
    if (isFailure(loaded) && loaded != kErrNoFile && loaded != kErrFormat) return loaded;
    TCP11Token token;
    if (KResult rc = open(token, password, true); isFailure(rc)) return rc;

    // Our keys of the purposes go, with their requests and certificates.
    std::vector<std::string> gone;
    std::vector<CK_OBJECT_HANDLE> privs;
    if (KResult rc = findOurObjects(token, CKO_PRIVATE_KEY, {}, privs); isFailure(rc)) return rc;
    for (CK_OBJECT_HANDLE h : privs) {
        bool canSign = false, canDerive = false;
        token.getBool(h, CKA_SIGN, canSign);
        token.getBool(h, CKA_DERIVE, canDerive);
        const bool match =
            ((purposeMask & crypto::kPurposeSign) && canSign) || ((purposeMask & crypto::kPurposeKA) && canDerive);
        std::string id;
        if (match && !isFailure(token.getAttribute(h, CKA_ID, id))) gone.push_back(id);
    }
    auto isGone = [&](const std::string& id) {
        for (const std::string& g : gone)
            if (g == id) return true;
        return false;
    };
    // The content that no longer names them is written first: a failure
    // here leaves the keys and the content as they were.
    if (!isFailure(loaded)) {
        std::erase_if(image.keys, [&](const KeyRecord& k) { return (k.purpose & purposeMask) || isGone(k.id); });
        std::erase_if(image.requests,
                      [&](const RequestRecord& r) { return (r.purpose & purposeMask) || isGone(r.keyId); });
        std::erase_if(image.certs, [&](const CertRecord& c) {
            std::string id;
            subjectOf(c.der, &id);
            return isGone(id);
        });
        if (!image.keys.empty() || !image.certs.empty() || !image.requests.empty()) {
            token.closeSession();
            if (KResult rc = save(password, image); isFailure(rc)) return rc;
            if (KResult rc = open(token, password, true); isFailure(rc)) return rc;
        } else {
            // Nothing of the container is left: its data objects go too.
            for (const char* label : {kContentLabel, kMarkerLabel}) {
                std::vector<CK_OBJECT_HANDLE> objs;
                findOurData(token, label, objs);
                for (CK_OBJECT_HANDLE h : objs)
                    if (KResult rc = token.destroyObject(h); isFailure(rc)) return rc;
            }
        }
    }
    for (const std::string& id : gone)
        if (KResult rc = removeKeyObjects(token, id); isFailure(rc)) return rc;
    std::vector<CK_OBJECT_HANDLE> certs;
    if (KResult rc = findOurObjects(token, CKO_CERTIFICATE, {}, certs); isFailure(rc)) return rc;
    for (CK_OBJECT_HANDLE h : certs) {
        std::string id;
        if (!isFailure(token.getAttribute(h, CKA_ID, id)) && isGone(id)) token.destroyObject(h);
    }
    return 0;
}

KResult TCTokenKeyStorage::removeKey(const KeyRecord& rec, const char* password) {
    if (rec.handle.empty() || rec.id.empty()) return 0;
    if (!password) return kErrPassword;
    TCP11Token token;
    if (KResult rc = open(token, password, true, FreshToken::useStartingPin); isFailure(rc)) return rc;
    return removeKeyObjects(token, rec.id);
}

KResult TCTokenKeyStorage::changeDevicePassword(const char* oldPassword, const char* newPassword) {
    if (!oldPassword || !pinLen(newPassword)) return kErrPassword;
    TCP11Token token;
    bool onStartingPin = false;
    if (KResult rc = open(token, oldPassword, true, FreshToken::useStartingPin, &onStartingPin); isFailure(rc))
        return rc;
    if (onStartingPin) {
        // A fresh token takes its PIN with the first content saved: nothing
        // to change before that, when it holds keys of that generation.
        std::vector<CK_OBJECT_HANDLE> keys;
        return !isFailure(token.findObjects({}, keys)) && !keys.empty() ? 0 : p11Result(CKR_PIN_INCORRECT);
    }
    const KResult rc = token.changeUserPin(oldPassword, newPassword);
    if (isFailure(rc)) message_ = token.slot()->message();
    return rc;
}

std::unique_ptr<TCKeyStorage> makeTokenKeyStorage(const std::string& location) {
    return std::make_unique<TCTokenKeyStorage>(location);
}

void registerTokenKeyStorage() {
    static std::once_flag once;
    std::call_once(once, [] { registerKeyStorage({kTokenPrefix, kTokenMediaType, "HSM-токен", makeTokenKeyStorage}); });
}

}  // namespace zrx
