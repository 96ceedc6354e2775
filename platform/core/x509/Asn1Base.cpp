#include "platform/core/x509/Asn1Base.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/pem.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/core/x509/X509Util.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/Translation.h"

using namespace zrx::x509;

int TCASN1Base::i2d(unsigned char** out) const {
    if (!out) return -1;
    *out = nullptr;
    std::vector<uint8_t> der;
    if (failed(encode(der)) || der.empty()) return -1;
    auto* buf = static_cast<unsigned char*>(OPENSSL_malloc(der.size()));
    if (!buf) return -1;
    memcpy(buf, der.data(), der.size());
    *out = buf;
    return static_cast<int>(der.size());
}

KResult TCASN1Base::copyTo(void* buf, size_t* len) const {
    if (!len) return kErrInvalidArg;
    std::vector<uint8_t> der;
    KResult rc = encode(der);
    if (failed(rc)) return rc;
    size_t room = *len;
    *len = der.size();
    if (!buf || der.size() > room) return kErrBufferTooSmall;
    memcpy(buf, der.data(), der.size());
    return 0;
}

KResult TCASN1Base::toPem(TCString& out) const {
    std::vector<uint8_t> der;
    KResult rc = encode(der);
    if (failed(rc)) return rc;
    out = zrxPemEncode(pemLabel(), der.data(), der.size());
    return out.isEmpty() ? kErrDerEncode : 0;
}

bool TCASN1Base::acceptsPemLabel(const char* label) const { return strcmp(label, pemLabel()) == 0; }

KResult TCASN1Base::decodeAny(const void* data, size_t len) {
    if (!data || len == 0) {
        clear();
        return kErrDerDecode;
    }
    if (zrxLooksLikePem(data, len)) {
        std::vector<uint8_t> der;
        bool ok = zrxPemDecode(data, len, der, [this](const char* label) { return acceptsPemLabel(label); });
        if (!ok) {
            clear();
            return kErrDerDecode;
        }
        return decode(der.data(), der.size());
    }
    return decode(data, len);
}

KResult TCASN1Base::readFile(const char* fileName) {
    std::string bytes;
    KResult rc = zrxReadFile(fileName, bytes);
    if (failed(rc)) {
        clear();
        return rc;
    }
    return decodeAny(bytes.data(), bytes.size());
}

KResult TCASN1Base::writeFile(const char* fileName, bool pem) const {
    std::vector<uint8_t> der;
    KResult rc = encode(der);
    if (failed(rc)) return rc;
    if (pem) {
        TCString text = zrxPemEncode(pemLabel(), der.data(), der.size());
        return zrxWriteFile(fileName, text.c_str(), text.length());
    }
    return zrxWriteFile(fileName, der.data(), der.size());
}

TCString TZrX509Base::getKindDescirption(bool withoutBlank) const {
    uint32_t f = keyFlags();
    const char* text = nullptr;
    if ((f & zfSignature) && (f & zfKeyAgreement)) text = "ЭП и связи";
    else if (f & zfSignature) text = "ЭП";
    else if (f & zfKeyAgreement) text = "связи";
    if (!text) return TCString();
    TCString t = zrnTranslateString(text);
    return withoutBlank ? t : TCString(" ") + t;
}

const TZrX509* TZrX509Base::getSigner(int index) const {
    return index >= 0 && index < static_cast<int>(attached_.size()) ? attached_[static_cast<size_t>(index)].get()
                                                                    : nullptr;
}

KResult TZrX509Base::attachSigner(const TZrX509& issuer) {
    if (issuer.isEmpty() || isEmpty()) return kErrEmptyObject;
    KResult rc = verifySigner(issuer);
    if (failed(rc)) return rc;
    for (const auto& a : attached_)
        if (X509_cmp(a->handle(), issuer.handle()) == 0) return 0;
    attached_.push_back(std::make_shared<const TZrX509>(issuer));
    return 0;
}
