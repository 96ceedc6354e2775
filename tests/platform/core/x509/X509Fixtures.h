#pragma once
// A small PKI made at test time with OpenSSL: root and intermediate
// authorities, a signature end-entity certificate with the maker's name
// attributes and extensions, a key-agreement certificate and a CRL.
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/x509/ObjectRegistry.h"

namespace x509fx {

inline EVP_PKEY* newKey() { return EVP_EC_gen("P-256"); }

struct CertSpec {
    std::vector<std::pair<std::string, std::string>> subject;  // short name, UTF-8 value
    std::vector<std::pair<int, std::string>> exts;             // NID, configuration value
    long notBeforeOffset = -86400;
    long notAfterOffset = 365L * 86400;
    long serial = 1;
};

inline X509* makeCert(const CertSpec& spec, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey) {
    zrxRegisterObjects();
    X509* x = X509_new();
    X509_set_version(x, X509_VERSION_3);
    ASN1_INTEGER_set(X509_get_serialNumber(x), spec.serial);
    X509_NAME* name = X509_get_subject_name(x);
    for (const auto& e : spec.subject)
        X509_NAME_add_entry_by_txt(name, e.first.c_str(), MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(e.second.c_str()), -1, -1, 0);
    X509_set_issuer_name(x, issuer ? X509_get_subject_name(issuer) : name);
    X509_gmtime_adj(X509_getm_notBefore(x), spec.notBeforeOffset);
    X509_gmtime_adj(X509_getm_notAfter(x), spec.notAfterOffset);
    X509_set_pubkey(x, key);
    X509V3_CTX ctx;
    X509V3_set_ctx(&ctx, issuer ? issuer : x, x, nullptr, nullptr, 0);
    std::vector<std::pair<int, std::string>> exts = spec.exts;
    exts.emplace_back(NID_subject_key_identifier, "hash");
    for (const auto& e : exts) {
        X509_EXTENSION* ext = nullptr;
        if (e.first == NID_certificate_policies) {
            // one policy identifier (the text form needs a configuration database)
            CERTIFICATEPOLICIES* pols = CERTIFICATEPOLICIES_new();
            POLICYINFO* pi = POLICYINFO_new();
            ASN1_OBJECT_free(pi->policyid);
            pi->policyid = OBJ_txt2obj(e.second.c_str(), 1);
            sk_POLICYINFO_push(pols, pi);
            ext = X509V3_EXT_i2d(NID_certificate_policies, 0, pols);
            CERTIFICATEPOLICIES_free(pols);
        } else {
            ext = X509V3_EXT_conf_nid(nullptr, &ctx, e.first, e.second.c_str());
        }
        if (ext) {
            X509_add_ext(x, ext, -1);
            X509_EXTENSION_free(ext);
        }
    }
    X509V3_set_ctx(&ctx, issuer ? issuer : x, x, nullptr, nullptr, 0);
    X509_EXTENSION* aki = X509V3_EXT_conf_nid(nullptr, &ctx, NID_authority_key_identifier, "keyid:always");
    if (aki) {
        X509_add_ext(x, aki, -1);
        X509_EXTENSION_free(aki);
    }
    X509_sign(x, issuerKey ? issuerKey : key, EVP_sha256());
    return x;
}

struct Pki {
    EVP_PKEY* rootKey = newKey();
    EVP_PKEY* interKey = newKey();
    EVP_PKEY* eeKey = newKey();
    EVP_PKEY* kaKey = newKey();
    X509* root = nullptr;
    X509* inter = nullptr;
    X509* ee = nullptr;
    X509* ka = nullptr;
    X509_CRL* crl = nullptr;

    Pki() {
        CertSpec r;
        r.subject = {{"C", "UA"}, {"O", "Тест ЦСК"}, {"CN", "Корневой ЦСК"}, {"serialNumber", "UA-0001"}};
        r.exts = {{NID_basic_constraints, "critical,CA:TRUE"}, {NID_key_usage, "critical,keyCertSign,cRLSign"}};
        r.serial = 100;
        root = makeCert(r, rootKey, nullptr, nullptr);
        CertSpec i;
        i.subject = {{"C", "UA"}, {"O", "Тест ЦСК"}, {"CN", "Промежуточный ЦСК"}, {"serialNumber", "UA-0002"}};
        i.exts = {{NID_basic_constraints, "critical,CA:TRUE,pathlen:0"},
                  {NID_key_usage, "critical,keyCertSign,cRLSign"}};
        i.serial = 200;
        inter = makeCert(i, interKey, root, rootKey);
        CertSpec e;
        e.subject = {{"C", "UA"},
                     {"CN", "Петренко Иван"},
                     {"zorenUID", "U-42"},
                     {"zorenProfileID", "user"},
                     {"emailAddress", "ivan@example.ua"}};
        e.exts = {{NID_key_usage, "critical,digitalSignature,nonRepudiation"},
                  {NID_ext_key_usage, "clientAuth,tempCertificate"},
                  {NID_subject_alt_name, "email:ivan@example.ua"},
                  {NID_certificate_policies, "1.2.804.2.1.1.1.2.2"}};
        e.serial = 0x1234;
        ee = makeCert(e, eeKey, inter, interKey);
        CertSpec k;
        k.subject = {{"C", "UA"}, {"CN", "Петренко Иван"}};
        k.exts = {{NID_key_usage, "critical,keyAgreement"}};
        k.serial = 0x1235;
        ka = makeCert(k, kaKey, inter, interKey);

        crl = X509_CRL_new();
        X509_CRL_set_version(crl, 1);
        X509_CRL_set_issuer_name(crl, X509_get_subject_name(inter));
        ASN1_TIME* now = ASN1_TIME_adj(nullptr, time(nullptr), 0, 0);
        ASN1_TIME* next = ASN1_TIME_adj(nullptr, time(nullptr), 7, 0);
        X509_CRL_set1_lastUpdate(crl, now);
        X509_CRL_set1_nextUpdate(crl, next);
        for (long sn : {0x1235L, 0x77L}) {
            X509_REVOKED* rv = X509_REVOKED_new();
            ASN1_INTEGER* s = ASN1_INTEGER_new();
            ASN1_INTEGER_set(s, sn);
            X509_REVOKED_set_serialNumber(rv, s);
            X509_REVOKED_set_revocationDate(rv, now);
            ASN1_ENUMERATED* reason = ASN1_ENUMERATED_new();
            ASN1_ENUMERATED_set(reason, 1);
            X509_REVOKED_add1_ext_i2d(rv, NID_crl_reason, reason, 0, 0);
            ASN1_ENUMERATED_free(reason);
            ASN1_INTEGER_free(s);
            X509_CRL_add0_revoked(crl, rv);
        }
        ASN1_TIME_free(now);
        ASN1_TIME_free(next);
        X509_CRL_sort(crl);
        X509_CRL_sign(crl, interKey, EVP_sha256());
    }
    ~Pki() {
        for (X509* x : {root, inter, ee, ka}) X509_free(x);
        X509_CRL_free(crl);
        for (EVP_PKEY* k : {rootKey, interKey, eeKey, kaKey}) EVP_PKEY_free(k);
    }
    Pki(const Pki&) = delete;
    Pki& operator=(const Pki&) = delete;
};

inline std::vector<uint8_t> der(X509* x) {
    std::vector<uint8_t> out(static_cast<size_t>(i2d_X509(x, nullptr)));
    unsigned char* p = out.data();
    i2d_X509(x, &p);
    return out;
}

inline std::vector<uint8_t> der(X509_CRL* c) {
    std::vector<uint8_t> out(static_cast<size_t>(i2d_X509_CRL(c, nullptr)));
    unsigned char* p = out.data();
    i2d_X509_CRL(c, &p);
    return out;
}

}  // namespace x509fx
