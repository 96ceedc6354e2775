#include "platform/core/x509/X509Util.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Translation.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace zrx::x509;

KResult zrxReadFile(const char* fileName, std::string& bytes) {
    bytes.clear();
    if (!fileName || !*fileName) return kErrInvalidArg;
    FILE* f = fopen(fileName, "rb");
    if (!f) return kErrFileRead;
    char buf[16384];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0) {
        if (bytes.size() + n > kZrxMaxObjectFile) {
            fclose(f);
            bytes.clear();
            return kErrFileRead;
        }
        bytes.append(buf, n);
    }
    bool err = ferror(f) != 0;
    fclose(f);
    if (err) {
        bytes.clear();
        return kErrFileRead;
    }
    return 0;
}

KResult zrxWriteFile(const char* fileName, const void* data, size_t len) {
    if (!fileName || !*fileName) return kErrInvalidArg;
    return writeWholeFile(fileName, data, len) == 0 ? 0 : kErrFileWrite;
}

bool zrxLooksLikePem(const void* data, size_t len) {
    const auto* p = static_cast<const char*>(data);
    size_t i = 0;
    // a UTF-8 byte order mark and leading blanks are allowed
    if (len >= 3 && static_cast<unsigned char>(p[0]) == 0xEF && static_cast<unsigned char>(p[1]) == 0xBB &&
        static_cast<unsigned char>(p[2]) == 0xBF)
        i = 3;
    while (i < len && (p[i] == ' ' || p[i] == '\t' || p[i] == '\r' || p[i] == '\n')) ++i;
    return len - i >= 10 && memcmp(p + i, "-----BEGIN", 10) == 0;
}

TCString zrxPemEncode(const char* label, const void* der, size_t len) {
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio) return TCString();
    TCString out;
    if (PEM_write_bio(bio, label, "", static_cast<const unsigned char*>(der), static_cast<long>(len)) > 0) {
        char* p = nullptr;
        long n = BIO_get_mem_data(bio, &p);
        if (n > 0) out.assign(p, static_cast<size_t>(n));
    }
    BIO_free(bio);
    return out;
}

bool zrxPemDecodeAll(const void* data, size_t len, std::vector<std::vector<uint8_t>>& ders,
                     const std::function<bool(const char*)>& acceptLabel) {
    if (len > kZrxMaxObjectFile) return false;
    BIO* bio = BIO_new_mem_buf(data, static_cast<int>(len));
    if (!bio) return false;
    for (;;) {
        char* name = nullptr;
        char* header = nullptr;
        unsigned char* der = nullptr;
        long derLen = 0;
        if (PEM_read_bio(bio, &name, &header, &der, &derLen) != 1) break;
        if (name && acceptLabel(name) && der && derLen > 0) ders.emplace_back(der, der + derLen);
        OPENSSL_free(name);
        OPENSSL_free(header);
        OPENSSL_free(der);
    }
    ERR_clear_error();
    BIO_free(bio);
    return !ders.empty();
}

bool zrxPemDecode(const void* data, size_t len, std::vector<uint8_t>& der,
                  const std::function<bool(const char*)>& acceptLabel) {
    std::vector<std::vector<uint8_t>> all;
    if (!zrxPemDecodeAll(data, len, all, acceptLabel)) return false;
    der = std::move(all.front());
    return true;
}

TCString zrxAsn1ToUtf8(const ASN1_STRING* s) {
    if (!s) return TCString();
    unsigned char* utf8 = nullptr;
    int n = ASN1_STRING_to_UTF8(&utf8, s);
    if (n < 0) {
        ERR_clear_error();
        return TCString();
    }
    TCString out(reinterpret_cast<char*>(utf8), static_cast<size_t>(n));
    OPENSSL_free(utf8);
    return out;
}

TCString zrxIntegerHex(const ASN1_INTEGER* i) {
    if (!i) return TCString();
    BIGNUM* bn = ASN1_INTEGER_to_BN(i, nullptr);
    if (!bn) return TCString();
    char* hex = BN_bn2hex(bn);
    TCString out(hex ? hex : "");
    OPENSSL_free(hex);
    BN_free(bn);
    // an even number of digits reads better as bytes
    bool neg = out.startsWith("-");
    TCString digits = neg ? out.sub(1) : out;
    if (digits.length() % 2) digits = TCString("0") + digits;
    return neg ? TCString("-") + digits : digits;
}

std::vector<uint8_t> zrxIntegerBytes(const ASN1_INTEGER* i) {
    std::vector<uint8_t> out;
    BIGNUM* bn = i ? ASN1_INTEGER_to_BN(i, nullptr) : nullptr;
    if (bn) {
        out.resize(static_cast<size_t>(BN_num_bytes(bn)));
        BN_bn2bin(bn, out.data());
        BN_free(bn);
    }
    return out;
}

TCString zrxObjText(const ASN1_OBJECT* obj, bool dotted) {
    if (!obj) return TCString();
    if (!dotted) {
        int nid = OBJ_obj2nid(obj);
        const char* sn = nid != NID_undef ? OBJ_nid2sn(nid) : nullptr;
        if (sn) return TCString(sn);
    }
    char buf[256];
    int n = OBJ_obj2txt(buf, sizeof(buf), obj, 1);
    if (n <= 0) return TCString();
    return TCString(buf, std::min<size_t>(static_cast<size_t>(n), sizeof(buf) - 1));
}

TCString zrxKeyText(EVP_PKEY* key) {
    if (!key) return TCString();
    int id = EVP_PKEY_get_base_id(key);
    int bits = EVP_PKEY_get_bits(key);
    if (id == EVP_PKEY_EC) {
        char curve[80] = {0};
        size_t clen = 0;
        if (EVP_PKEY_get_utf8_string_param(key, "group", curve, sizeof(curve), &clen) == 1)
            return TCString::format(zrnTranslateString("EC %s (%d бит)").c_str(), curve, bits);
        return TCString::format(zrnTranslateString("EC (%d бит)").c_str(), bits);
    }
    const char* name = OBJ_nid2sn(id);
    if (!name || id == NID_undef) name = EVP_PKEY_get0_type_name(key);
    if (!name) name = "?";
    return TCString::format(zrnTranslateString("%s (%d бит)").c_str(), name, bits);
}

TCString zrxSigAlgText(const X509_ALGOR* alg) {
    if (!alg) return TCString();
    const ASN1_OBJECT* obj = nullptr;
    X509_ALGOR_get0(&obj, nullptr, nullptr, alg);
    TCString sn = zrxObjText(obj);
    TCString dotted = zrxObjText(obj, true);
    if (sn == dotted) return sn;
    return sn + " (" + dotted + ")";
}

std::vector<uint8_t> zrxKeyHash(X509_PUBKEY* pub) {
    std::vector<uint8_t> out;
    if (!pub) return out;
    const unsigned char* pk = nullptr;
    int pklen = 0;
    if (!X509_PUBKEY_get0_param(nullptr, &pk, &pklen, nullptr, pub) || !pk) return out;
    out.resize(SHA_DIGEST_LENGTH);
    SHA1(pk, static_cast<size_t>(pklen), out.data());
    return out;
}

TCString zrxBioText(const std::function<int(BIO*)>& print) {
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio) return TCString();
    TCString out;
    if (print(bio) > 0) {
        char* p = nullptr;
        long n = BIO_get_mem_data(bio, &p);
        if (n > 0) out.assign(p, static_cast<size_t>(n));
    }
    ERR_clear_error();
    BIO_free(bio);
    return out;
}

const EVP_MD* zrxDefaultMd(EVP_PKEY* key) {
    if (!key) return nullptr;
    int id = EVP_PKEY_get_base_id(key);
    if (id == EVP_PKEY_ED25519 || id == EVP_PKEY_ED448) return nullptr;
    if (id == EVP_PKEY_EC && EVP_PKEY_get_bits(key) > 256) return EVP_sha384();
    return EVP_sha256();
}

ASN1_INTEGER* zrxRandomSerial() {
    unsigned char raw[16];
    if (RAND_bytes(raw, sizeof(raw)) != 1) return nullptr;
    raw[0] &= 0x7F;
    raw[0] |= 0x40;  // positive and always 16 bytes long
    BIGNUM* bn = BN_bin2bn(raw, sizeof(raw), nullptr);
    if (!bn) return nullptr;
    ASN1_INTEGER* ai = BN_to_ASN1_INTEGER(bn, nullptr);
    BN_free(bn);
    return ai;
}
