#pragma once
// Real key containers in files for the container views' tests: keys and
// requests generated through the library, certificates issued to the
// container's own requests, storage keys, and certificates issued by an
// authority that the openssl tool makes.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "views/CertFixture.h"
#include "platform/core/config/P12Template.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/container/ContainerFile.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/x509api/BaseRequestParamMaker.h"
#include "platform/x509api/ZrX509Csp.h"
#include "support/TempDir.h"

namespace zrxtest {

inline const char kContainerPassword[] = "Пароль-12345";
inline constexpr int64_t kDay = 24 * 3600;

inline int64_t nowSeconds() { return int64_t(std::time(nullptr)); }

class KeyContainers {
public:
    KeyContainers() {
        zrx::container::setDefaultKdf(zrx::container::KdfParams::scrypt(10, 1, 1));
        tmpl_ = dir_.file("tmpl.xcfg");
        writeFile(tmpl_,
                  "<cryptoTemplate version=\"1\"><sign><params name=\"s\" alg=\"EC:P-256\" default=\"yes\"/></sign>"
                  "<keyAgreement><params name=\"k\" alg=\"ECDH:P-256\" default=\"yes\"/></keyAgreement>"
                  "</cryptoTemplate>");
        profile_.name = "t";
        profile_.id = 5;
        profile_.flags = PF_SIGN_KEYS | PF_KA_KEYS;
    }

    // Generates keys of the kinds (0x20000 signature, 0x10000 key agreement)
    // with their requests; into a new container at path unless it is empty.
    bool generate(TZrX509Csp& csp, const std::string& path, uint32_t kinds, const char* owner = "Петренко Петро") {
        TCBaseRequestParamMaker maker(&profile_, &csp);
        if (loadP12Template(tmpl_.c_str(), &maker.cryptoTemplate()) != 0) return false;
        if (isFailure(maker.initCtxCryptoPars(profile_.id, 0, 0))) return false;
        maker.nameList().addAttribute("CN", owner);
        const bool fresh = !path.empty();
        if (fresh) csp.prepareUpdate();
        csp.beginUpdate();
        if (fresh) {
            csp.setContainerName(path.c_str());
            csp.container()->setDp(kContainerPassword);
        }
        if (isFailure(maker.generateKeys(&csp, kinds, nullptr))) {
            csp.container()->cancelUpdate();
            return false;
        }
        return !isFailure(csp.endUpdate(false));
    }

    // Issues every request of the container to itself for [from, to] and stores the certificates.
    static bool certifyAll(TZrX509Csp& csp, int64_t from, int64_t to) {
        while (csp.reqCount() > 0) {
            TZrX509 cert;
            if (isFailure(cert.fromRequest(*csp.getReqAt(0)))) return false;
            if (isFailure(csp.mkSelfIssued(cert, from, to))) return false;
            if (!csp.addCertificate(&cert, true)) return false;
        }
        return true;
    }

    // A symmetric storage key of n bytes with an identifier of its own.
    static void addStorageKey(TZrX509Csp& csp, const std::string& id, size_t n) {
        zrx::container::KeyRecord rec;
        rec.id = id;
        rec.role = zrx::container::kRoleStorage;
        rec.algorithm = "AES";
        std::string secret(n, '\x5A');
        rec.secret.assignBytes(secret.data(), secret.size());
        csp.container()->addPrivateKey(std::move(rec));
    }

    // The DER request of a kind (kObjSignRequest, kObjKARequest) written to a file.
    std::string requestFile(const TZrX509Csp& csp, int kind, const std::string& name) {
        uint32_t len = 0x4000;
        std::string buf(len, '\0');
        if (isFailure(csp.ZrX_GetX509Object(buf.data(), &len, kind))) return {};
        buf.resize(len);
        const std::string path = dir_.file(name + ".p10");
        writeFile(path, buf);
        return path;
    }

    // Has the authority issue a certificate for the request file (DER).
    bool issueFromRequest(const std::string& request, const std::string& issuer, const std::string& out,
                          const std::string& ext) {
        const std::string extFile = dir_.file(out + ".ext");
        writeFile(extFile, ext + "\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n");
        return CertMaker::run("openssl x509 -req -inform DER -in " + request + " -CA " + certs.crt(issuer) +
                              " -CAkey " + certs.key(issuer) + " -set_serial " + std::to_string(++serial_) +
                              " -days 30 -out " + certs.crt(out) + " -extfile " + extFile);
    }

    const TempDir& dir() const { return dir_; }
    CertMaker certs;

private:
    TempDir dir_;
    std::string tmpl_;
    TCXProfileDescriptor profile_;
    int serial_ = 500;
};

}  // namespace zrxtest
