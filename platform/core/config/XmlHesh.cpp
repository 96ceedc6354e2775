#include "platform/core/config/XmlHesh.h"

#include <openssl/crypto.h>

#include "platform/core/crypto/Digest.h"
#include "platform/core/config/XmlNode.h"

namespace {

bool feedDigest(void* ctx, const void* data, size_t len) {
    return !isFailure(static_cast<TZrXDigest*>(ctx)->update(data, len));
}

bool feedPiece(TCXMLNode::HeshFeed feed, void* ctx, const TCString& s) {
    const uint32_t n = static_cast<uint32_t>(s.length());
    const uint8_t len[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
    return feed(ctx, len, 4) && feed(ctx, s.c_str(), s.length());
}

// The configuration digest's walk: each name, attribute and text preceded by
// its 4-byte length, the counts of attributes and children as 4-byte numbers
// (256 more children must not look like none), in document order, leaving
// out the one element skip (the one the digest lives in) with its subtree.
bool feedTree(const TCXMLNode* n, TCXMLNode::HeshFeed feed, void* ctx, const TCXMLNode* skip) {
    if (!feedPiece(feed, ctx, *n)) return false;
    uint32_t kids = 0;
    for (int i = 0; i < n->nodesCount(); ++i) kids += n->at(i) == skip ? 0 : 1;
    const uint32_t na = static_cast<uint32_t>(n->attrCount());
    const uint8_t counts[8] = {uint8_t(na),   uint8_t(na >> 8),   uint8_t(na >> 16),   uint8_t(na >> 24),
                               uint8_t(kids), uint8_t(kids >> 8), uint8_t(kids >> 16), uint8_t(kids >> 24)};
    if (!feed(ctx, counts, sizeof counts)) return false;
    for (const auto& a : n->attrs())
        if (!feedPiece(feed, ctx, a.name) || !feedPiece(feed, ctx, a.value)) return false;
    if (!feedPiece(feed, ctx, n->text())) return false;
    for (int i = 0; i < n->nodesCount(); ++i) {
        const TCXMLNode* c = n->at(i);
        if (c == skip) continue;
        if (!feedTree(c, feed, ctx, skip)) return false;
    }
    static const uint8_t endMark = 0xFF;
    return feed(ctx, &endMark, 1);
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
    if (!feedTree(root, feedDigest, &h, heshNode(root, name))) return TCString();
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
