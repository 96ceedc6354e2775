// Container files from outside: the header reader, the full reader with the
// seed password (only for the cheapest key derivations, so the fuzzer is
// not slowed by the KDF), and the content record parser on the raw bytes,
// whose result is then turned into a content object.
#include <cstddef>
#include <cstdint>

#include "platform/core/container/ContainerFile.h"
#include "platform/core/keys/UserKeysContext.h"

using namespace zrx::container;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint16_t version = 0;
    KdfParams kdf;
    if (readHeader(data, size, version, kdf) == 0) {
        bool cheap = (kdf.id == KdfId::Scrypt && kdf.p1 == 10 && kdf.p2 == 1 && kdf.p3 == 1) ||
                     (kdf.id == KdfId::Pbkdf2Sha256 && kdf.p1 == 10000);
        ContainerImage img;
        if (cheap && decodeFile(data, size, "fuzz", 4, img) == 0) {
            TCBaseUserKeysContext ctx;
            ctx.fromImage(img);
        }
    }
    ContainerImage plain;
    if (parseContent(data, size, plain) == 0) {
        TCBaseUserKeysContext ctx;
        ctx.fromImage(plain);
        ctx.toImage();
    }
    return 0;
}
