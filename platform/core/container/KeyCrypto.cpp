// Key generation and signing primitives of containers.
#include "platform/core/container/KeyCrypto.h"

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/ec.h>
#include <openssl/obj_mac.h>
#include <openssl/objects.h>
#include <openssl/sha.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zrx::crypto {

using namespace zrx::container;

namespace {

std::string lowered(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '_'; }), s.end());
    return s;
}

int curveOf(const std::string& name) {
    if (name == "p-256" || name == "p256" || name == "prime256v1" || name == "secp256r1") return NID_X9_62_prime256v1;
    if (name == "p-384" || name == "p384" || name == "secp384r1") return NID_secp384r1;
    return 0;
}

struct Ctx {
    EVP_PKEY_CTX* c;
    ~Ctx() { EVP_PKEY_CTX_free(c); }
};

}  // namespace

KeyAlgorithm KeyAlgorithm::parse(const std::string& text) {
    std::string t = lowered(text);
    KeyAlgorithm a;
    size_t colon = t.find(':');
    std::string head = t.substr(0, colon);
    std::string arg = colon == std::string::npos ? "" : t.substr(colon + 1);
    if ((head == "ec" || head == "ecdsa" || head == "ecdh") && curveOf(arg)) {
        a.kind = head == "ecdh" ? ECDH : EC;
        a.curveNid = curveOf(arg);
    } else if (head == "rsa") {
        int bits = 0;
        for (char c : arg) {
            if (!std::isdigit(static_cast<unsigned char>(c)) || bits > 100000) return {};
            bits = bits * 10 + (c - '0');
        }
        if (arg.empty()) bits = 2048;
        if (bits < 2048 || bits > 4096) return {};
        a.kind = RSA;
        a.bits = bits;
    } else if (t == "ed25519") {
        a.kind = Ed25519;
    } else if (t == "x25519") {
        a.kind = X25519;
    }
    return a;
}

KeyAlgorithm KeyAlgorithm::fromAlgor(const X509_ALGOR* alg, bool keyAgreement, int rsaBits) {
    KeyAlgorithm a;
    if (!alg) return a;
    const ASN1_OBJECT* obj = nullptr;
    int ptype = 0;
    const void* pval = nullptr;
    X509_ALGOR_get0(&obj, &ptype, &pval, alg);
    switch (OBJ_obj2nid(obj)) {
    case NID_X9_62_id_ecPublicKey:
        if (ptype == V_ASN1_OBJECT) {
            int nid = OBJ_obj2nid(static_cast<const ASN1_OBJECT*>(pval));
            if (nid == NID_X9_62_prime256v1 || nid == NID_secp384r1) {
                a.kind = keyAgreement ? ECDH : EC;
                a.curveNid = nid;
            }
        }
        break;
    case NID_rsaEncryption:
        if (!keyAgreement && rsaBits >= 2048 && rsaBits <= 4096) {
            a.kind = RSA;
            a.bits = rsaBits;
        }
        break;
    case NID_ED25519:
        if (!keyAgreement) a.kind = Ed25519;
        break;
    case NID_X25519: a.kind = X25519; break;
    default: break;
    }
    return a;
}

std::string KeyAlgorithm::text() const {
    const char* curve = curveNid == NID_secp384r1 ? "P-384" : "P-256";
    switch (kind) {
    case EC: return std::string("EC:") + curve;
    case ECDH: return std::string("ECDH:") + curve;
    case RSA: return "RSA:" + std::to_string(bits);
    case Ed25519: return "Ed25519";
    case X25519: return "X25519";
    default: return "";
    }
}

KResult generateKey(const KeyAlgorithm& alg, PkeyPtr& out) {
    EVP_PKEY* key = nullptr;
    switch (alg.kind) {
    case KeyAlgorithm::EC:
    case KeyAlgorithm::ECDH: {
        Ctx ctx{EVP_PKEY_CTX_new_id(EVP_PKEY_EC, nullptr)};
        if (!ctx.c || EVP_PKEY_keygen_init(ctx.c) != 1 ||
            EVP_PKEY_CTX_set_ec_paramgen_curve_nid(ctx.c, alg.curveNid) != 1 ||
            EVP_PKEY_CTX_set_ec_param_enc(ctx.c, OPENSSL_EC_NAMED_CURVE) != 1 || EVP_PKEY_keygen(ctx.c, &key) != 1)
            return kErrKeyGen;
        break;
    }
    case KeyAlgorithm::RSA: {
        Ctx ctx{EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr)};
        if (!ctx.c || EVP_PKEY_keygen_init(ctx.c) != 1 || EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.c, alg.bits) != 1 ||
            EVP_PKEY_keygen(ctx.c, &key) != 1)
            return kErrKeyGen;
        break;
    }
    case KeyAlgorithm::Ed25519:
    case KeyAlgorithm::X25519: {
        Ctx ctx{EVP_PKEY_CTX_new_id(alg.kind == KeyAlgorithm::Ed25519 ? EVP_PKEY_ED25519 : EVP_PKEY_X25519, nullptr)};
        if (!ctx.c || EVP_PKEY_keygen_init(ctx.c) != 1 || EVP_PKEY_keygen(ctx.c, &key) != 1) return kErrKeyGen;
        break;
    }
    default: return kErrAlgorithm;
    }
    out.reset(key);
    return 0;
}

std::string publicKeyDer(EVP_PKEY* key) {
    unsigned char* der = nullptr;
    int n = key ? i2d_PUBKEY(key, &der) : -1;
    if (n <= 0) return {};
    std::string s(reinterpret_cast<char*>(der), size_t(n));
    OPENSSL_free(der);
    return s;
}

PkeyPtr publicKeyFromDer(const std::string& spkiDer) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(spkiDer.data());
    return PkeyPtr(d2i_PUBKEY(nullptr, &p, long(spkiDer.size())));
}

std::string keyIdOfSpki(const std::string& spkiDer) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(spkiDer.data());
    X509_PUBKEY* pub = d2i_X509_PUBKEY(nullptr, &p, long(spkiDer.size()));
    if (!pub) return {};
    const unsigned char* bits = nullptr;
    int len = 0;
    std::string id;
    if (X509_PUBKEY_get0_param(nullptr, &bits, &len, nullptr, pub) == 1) {
        unsigned char md[SHA_DIGEST_LENGTH];
        SHA1(bits, size_t(len), md);
        id.assign(reinterpret_cast<char*>(md), sizeof md);
    }
    X509_PUBKEY_free(pub);
    return id;
}

std::string keyIdOf(EVP_PKEY* key) { return keyIdOfSpki(publicKeyDer(key)); }

bool exportPkcs8(EVP_PKEY* key, SecureBytes& out) {
    PKCS8_PRIV_KEY_INFO* p8 = key ? EVP_PKEY2PKCS8(key) : nullptr;
    if (!p8) return false;
    unsigned char* der = nullptr;
    int n = i2d_PKCS8_PRIV_KEY_INFO(p8, &der);
    PKCS8_PRIV_KEY_INFO_free(p8);
    if (n <= 0) return false;
    out.assignBytes(der, size_t(n));
    OPENSSL_clear_free(der, size_t(n));
    return true;
}

PkeyPtr importPkcs8(const SecureBytes& der) {
    const unsigned char* p = der.data();
    PKCS8_PRIV_KEY_INFO* p8 = d2i_PKCS8_PRIV_KEY_INFO(nullptr, &p, long(der.size()));
    if (!p8) return nullptr;
    EVP_PKEY* key = EVP_PKCS82PKEY(p8);
    PKCS8_PRIV_KEY_INFO_free(p8);
    return PkeyPtr(key);
}

const EVP_MD* signDigest(EVP_PKEY* key) {
    if (!key) return nullptr;
    int id = EVP_PKEY_get_base_id(key);
    if (id == EVP_PKEY_ED25519 || id == EVP_PKEY_ED448) return nullptr;
    if (id == EVP_PKEY_EC && EVP_PKEY_get_bits(key) >= 384) return EVP_sha384();
    return EVP_sha256();
}

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        s.push_back(digits[c >> 4]);
        s.push_back(digits[c & 15]);
    }
    return s;
}

bool bytesOfHex(const std::string& hex, std::string& out) {
    std::string r;
    int hi = -1;
    for (char c : hex) {
        if (c == ':' || c == ' ' || c == '\t') continue;
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else return false;
        if (hi < 0) {
            hi = v;
        } else {
            r.push_back(char(hi << 4 | v));
            hi = -1;
        }
    }
    if (hi >= 0 || r.empty()) return false;
    out = std::move(r);
    return true;
}

KResult makeRequest(EVP_PKEY* subjectKey, EVP_PKEY* signer, const X509_NAME* subject,
                    const STACK_OF(X509_EXTENSION) * exts, const std::string& challenge, std::string& der) {
    if (!subjectKey) return kErrInvalidArg;
    if (!signer) signer = subjectKey;
    X509_REQ* req = X509_REQ_new();
    if (!req) return kErrCrypto;
    bool ok = X509_REQ_set_version(req, 0) == 1 && X509_REQ_set_pubkey(req, subjectKey) == 1;
    if (ok && subject) ok = X509_REQ_set_subject_name(req, subject) == 1;
    if (ok && exts && sk_X509_EXTENSION_num(exts) > 0)
        ok = X509_REQ_add_extensions(req, const_cast<STACK_OF(X509_EXTENSION)*>(exts)) == 1;
    if (ok && !challenge.empty())
        ok = X509_REQ_add1_attr_by_NID(req, NID_pkcs9_challengePassword, MBSTRING_UTF8,
                                       reinterpret_cast<const unsigned char*>(challenge.data()),
                                       int(challenge.size())) == 1;
    if (ok) ok = X509_REQ_sign(req, signer, signDigest(signer)) > 0;
    unsigned char* out = nullptr;
    int n = ok ? i2d_X509_REQ(req, &out) : -1;
    X509_REQ_free(req);
    if (n <= 0) return kErrCrypto;
    der.assign(reinterpret_cast<char*>(out), size_t(n));
    OPENSSL_free(out);
    return 0;
}

KResult cmsSign(const std::string& data, EVP_PKEY* key, const std::string& certDer, std::string& der) {
    if (!key || certDer.empty()) return kErrNoSigningKey;
    // OpenSSL 3.0's CMS has no EdDSA signers.
    if (!signDigest(key)) return kErrAlgorithm;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(certDer.data());
    X509* cert = d2i_X509(nullptr, &p, long(certDer.size()));
    if (!cert) return kErrInvalidArg;
    BIO* in = BIO_new_mem_buf(data.data(), int(data.size()));
    KResult rc = kErrCrypto;
    CMS_ContentInfo* cms = nullptr;
    if (in) {
        unsigned int flags = CMS_BINARY | CMS_PARTIAL;
        cms = CMS_sign(nullptr, nullptr, nullptr, nullptr, flags);
        if (cms && CMS_add1_signer(cms, cert, key, signDigest(key), flags) && CMS_final(cms, in, nullptr, CMS_BINARY)) {
            unsigned char* out = nullptr;
            int n = i2d_CMS_ContentInfo(cms, &out);
            if (n > 0) {
                der.assign(reinterpret_cast<char*>(out), size_t(n));
                OPENSSL_free(out);
                rc = 0;
            }
        }
    }
    CMS_ContentInfo_free(cms);
    BIO_free(in);
    X509_free(cert);
    return rc;
}

}  // namespace zrx::crypto
