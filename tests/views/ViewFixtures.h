#pragma once
// Objects for the view tests, made by OpenSSL at test time, and a PDF printer
// in a temporary folder.
#include <openssl/cms.h>
#include <openssl/x509.h>

#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "platform/core/x509/Crl.h"
#include "platform/core/x509/Pkcs7.h"
#include "platform/core/x509/X509Fixtures.h"
#include "platform/framework/Printers.h"
#include "support/TempDir.h"

namespace viewfx {

inline X509_REQ* makeReq(EVP_PKEY* key, const char* cn) {
    X509_REQ* r = X509_REQ_new();
    X509_REQ_set_version(r, 0);
    X509_NAME_add_entry_by_txt(X509_REQ_get_subject_name(r), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(cn), -1, -1, 0);
    X509_REQ_set_pubkey(r, key);
    X509_REQ_sign(r, key, EVP_sha256());
    return r;
}

// A request signed in CMS by two certificates.
inline std::unique_ptr<TZrXSignedReq> twiceSignedRequest(const x509fx::Pki& pki) {
    X509_REQ* r = makeReq(pki.eeKey, "Петренко Иван");
    unsigned char* der = nullptr;
    const int len = i2d_X509_REQ(r, &der);
    BIO* in = BIO_new_mem_buf(der, len);
    const unsigned flags = CMS_BINARY | CMS_PARTIAL | CMS_NOSMIMECAP;
    CMS_ContentInfo* cms = CMS_sign(pki.ee, pki.eeKey, nullptr, nullptr, flags);
    CMS_add1_signer(cms, pki.inter, pki.interKey, EVP_sha256(), flags);
    CMS_final(cms, in, nullptr, CMS_BINARY);
    unsigned char* out = nullptr;
    const int outLen = i2d_CMS_ContentInfo(cms, &out);
    auto signedReq = std::make_unique<TZrXSignedReq>();
    signedReq->decode(out, size_t(outLen));
    OPENSSL_free(out);
    CMS_ContentInfo_free(cms);
    BIO_free(in);
    OPENSSL_free(der);
    X509_REQ_free(r);
    return signedReq;
}

// A revocation list of the intermediate authority with n entries.
inline std::unique_ptr<TZrXCrl> crlWith(const x509fx::Pki& pki, int n) {
    X509_CRL* crl = X509_CRL_new();
    X509_CRL_set_version(crl, 1);
    X509_CRL_set_issuer_name(crl, X509_get_subject_name(pki.inter));
    ASN1_TIME* now = ASN1_TIME_adj(nullptr, time(nullptr), 0, 0);
    X509_CRL_set1_lastUpdate(crl, now);
    for (int i = 0; i < n; ++i) {
        X509_REVOKED* rv = X509_REVOKED_new();
        ASN1_INTEGER* s = ASN1_INTEGER_new();
        ASN1_INTEGER_set(s, 0x10000 + i);
        X509_REVOKED_set_serialNumber(rv, s);
        X509_REVOKED_set_revocationDate(rv, now);
        ASN1_INTEGER_free(s);
        X509_CRL_add0_revoked(crl, rv);
    }
    ASN1_TIME_free(now);
    X509_CRL_sort(crl);
    X509_CRL_sign(crl, pki.interKey, EVP_sha256());
    const std::vector<uint8_t> der = x509fx::der(crl);
    X509_CRL_free(crl);
    auto out = std::make_unique<TZrXCrl>();
    out->decode(der.data(), der.size());
    return out;
}

// The framework's printer replaced by a PDF file printer for one test.
class PdfPrinter {
public:
    PdfPrinter() : printer_(new TPrinter) {
        printer_->SetPrinterIndex(-1);
        printer_->SetOutputFileName(dir_.file("out.pdf"));
        old_ = SetPrinter(printer_);
    }
    ~PdfPrinter() { delete SetPrinter(old_); }
    PdfPrinter(const PdfPrinter&) = delete;
    PdfPrinter& operator=(const PdfPrinter&) = delete;
    TPrinter* printer() const { return printer_; }
    std::string file() const { return dir_.file("out.pdf"); }
    // Pages of the written PDF.
    int pages() const {
        std::ifstream f(file(), std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        const std::string pdf = ss.str();
        static const std::regex page("/Type\\s*/Page[^s]");
        return int(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
    }

private:
    zrxtest::TempDir dir_;
    TPrinter* printer_;
    TPrinter* old_ = nullptr;
};

}  // namespace viewfx
