#include "platform/core/config/XmlHesh.h"

#include <openssl/crypto.h>

#include "platform/core/crypto/Digest.h"
#include "platform/core/config/XmlNode.h"

namespace {

bool feedDigest(void* ctx, const void* data, size_t len) {
    return !isFailure(static_cast<TZrXDigest*>(ctx)->update(data, len));
}

TCXMLNode* heshNode(const TCXMLNode* root, const char* name) {
    if (!root || !name || !*name) return nullptr;
    if (TCXMLNode* n = root->findChild(name)) return n;
    if (const TCXMLNode* core = root->findChild("core")) return core->findChild(name);
    return nullptr;
}

}  // namespace

TCString calcXMLHesh(const TCXMLNode* root, const char* name) {
    if (!root) return TCString();
    TCG3411Hash h;
    // Only the element the digest lives in is left out; others of its name count.
    if (!root->calcHesh(feedDigest, &h, heshNode(root, name))) return TCString();
    h.end();
    uint8_t md[32];
    if (h.getHash(md, nullptr) != 32) return TCString();
    return TCString::hexOf(md, 32, false);
}

bool verifyHesh(const TCXMLNode* root, const char* name, int) {
    const TCXMLNode* n = heshNode(root, name);
    if (!n) return false;
    TCString stored = n->getStringAttr("val");
    stored.trim();
    stored.lower();
    const TCString actual = calcXMLHesh(root, name);
    if (actual.isEmpty() || stored.length() != actual.length()) return false;
    return CRYPTO_memcmp(stored.c_str(), actual.c_str(), actual.length()) == 0;
}

bool setHesh(TCXMLNode* root, const char* name) {
    if (!root || !name || !*name) return false;
    TCXMLNode* n = heshNode(root, name);
    if (!n) n = root->addChild(name);
    const TCString v = calcXMLHesh(root, name);
    if (v.isEmpty()) return false;
    n->setAttr("val", v.c_str());
    return true;
}
