// Decoders of the X.509 layer on arbitrary bytes: the first byte picks the
// decoder, the rest is the input (DER or PEM). A decoded object is also
// rendered and encoded again, the way the program uses what it reads.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/x509/CertsChain.h"
#include "platform/core/x509/Crl.h"
#include "platform/core/x509/ExtList.h"
#include "platform/core/x509/RevReq.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t kind = data[0] % 8;
    ++data;
    --size;
    std::unique_ptr<TCASN1Base> obj;
    switch (kind) {
    case 0: obj = std::make_unique<TZrX509>(); break;
    case 1: obj = std::make_unique<TZrX509Req>(); break;
    case 2: obj = std::make_unique<TZrXCrl>(); break;
    case 3: obj = std::make_unique<TZrXPkcs7>(); break;
    case 4: obj = std::make_unique<TZrXSignedReq>(); break;
    case 5: obj = std::make_unique<TZrXRevReq>(); break;
    case 6: {
        TCXCertsChain chain;
        if (chain.fromBin(data, size) == 0) {
            int pos = 1;
            chain.isBroken(&pos);
            chain.getFirst();
            chain.verify(&pos);
            std::vector<uint8_t> der;
            chain.toBin(der);
        }
        return 0;
    }
    default: {
        // extension formats and value texts
        TCX509ExtEntry e;
        std::string text(reinterpret_cast<const char*>(data), size);
        if (e.parse(text.c_str()) == 0) {
            X509_EXTENSION* ext = nullptr;
            if (e.toExtension(&ext) == 0) {
                TCX509ExtEntry back;
                back.fromExtension(ext);
                X509_EXTENSION_free(ext);
            }
        }
        return 0;
    }
    }
    if (obj->decodeAny(data, size) == 0) {
        TCString html;
        obj->htmlView(html, 0);
        obj->htmlView(html, 1);
        std::vector<uint8_t> der;
        obj->encode(der);
        if (auto* x = dynamic_cast<TZrX509Base*>(obj.get())) {
            x->ownerName();
            x->keyFlags();
            x->getKeyIDStr();
        }
    }
    return 0;
}
