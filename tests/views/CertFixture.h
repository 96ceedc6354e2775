#pragma once
// Certificates made by the openssl tool at test time in a temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/core/x509/CertsChain.h"
#include "support/TempDir.h"

namespace zrxtest {

class CertMaker {
public:
    static bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

    // A self-signed authority <name>.crt with its key <name>.key.
    bool root(const std::string& name) {
        return run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " + key(name) +
                   " -out " + crt(name) + " -subj '/CN=" + name +
                   "' -days 30 -addext basicConstraints=critical,CA:true -addext keyUsage=keyCertSign,cRLSign");
    }
    // <name>.crt for a new key (or the key of keyOf when given), issued by issuer;
    // ext lines go to the certificate's extensions.
    bool issue(const std::string& name, const std::string& issuer, const std::string& ext,
               const std::string& subject = "", const std::string& keyOf = "") {
        const std::string k = key(keyOf.empty() ? name : keyOf);
        const std::string newKey =
            keyOf.empty() ? "-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " + k : "-key " + k;
        writeFile(dir_.file(name + ".ext"), ext + "\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n");
        return run("openssl req -new " + newKey + " -out " + dir_.file(name + ".csr") + " -subj '" +
                   (subject.empty() ? "/CN=" + name : subject) + "'") &&
               run("openssl x509 -req -in " + dir_.file(name + ".csr") + " -CA " + crt(issuer) + " -CAkey " +
                   key(issuer) + " -set_serial " + std::to_string(++serial_) + " -days 30 -out " + crt(name) +
                   " -extfile " + dir_.file(name + ".ext"));
    }
    // Root, intermediate authority and an end-entity signature certificate.
    bool threeLevels() {
        return root("Root") && issue("Inter", "Root", "basicConstraints=critical,CA:true\nkeyUsage=keyCertSign") &&
               issue("Leaf", "Inter", "keyUsage=digitalSignature");
    }
    bool add(TZrX509List& list, const std::string& name) {
        TZrX509 cert;
        return cert.loadFromFile(crt(name).c_str()) && list.add(cert) >= 0;
    }
    std::string crt(const std::string& name) const { return dir_.file(name + ".crt"); }
    std::string key(const std::string& name) const { return dir_.file(name + ".key"); }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    int serial_ = 100;
};

}  // namespace zrxtest
