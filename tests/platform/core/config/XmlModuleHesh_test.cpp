// The digest walk of an XML module: the canonical form of the document as
// written, whatever the macros say, equal to what xmllint --c14n gives.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/core/config/CfgMacros.h"
#include "platform/core/crypto/Digest.h"
#include "platform/core/config/XmlNode.h"
#include "support/TempDir.h"

namespace {

bool feed(void* ctx, const void* data, size_t len) {
    return static_cast<std::string*>(ctx)->append(static_cast<const char*>(data), len), true;
}

std::string canonicalOf(const TCXMLNode* n) {
    std::string out;
    EXPECT_TRUE(n->calcHesh(feed, &out, ""));
    return out;
}

std::string xmllintC14n(const std::string& path) {
    std::string out;
    FILE* p = popen(("xmllint --c14n '" + path + "' 2>/dev/null").c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

std::string gost(const std::string& data) {
    uint8_t out[32];
    EXPECT_TRUE(dstu34311_md(data.data(), data.size(), out, getGostR3411CryptoProSBlock()));
    return std::string(reinterpret_cast<char*>(out), 32);
}

const char kModule[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<module b=\"2\" a='$MODDIR$/x'>\n"
    "  <item name=\"Дані\">text &amp; more <![CDATA[<raw>]]></item>\n"
    "  <empty/>\r\n"
    "  <?pi keep?>\n"
    "</module>\n";

TEST(XmlModuleHesh, CanonicalFormEqualsXmllintAndIgnoresMacros) {
    zrxtest::TempDir dir;
    const std::string path = dir.file("module.xml");
    zrxtest::writeFile(path, kModule);
    const std::string reference = xmllintC14n(path);
    ASSERT_FALSE(reference.empty());

    registerCFGMacro("MODDIR", "/elsewhere");
    TCXMLNodeParser p(true);
    p.setMacroMode(0);
    ASSERT_EQ(p.load(path.c_str()), 0u);
    EXPECT_EQ(canonicalOf(p.getRoot()), reference);
    EXPECT_EQ(gost(canonicalOf(p.getRoot())), gost(reference));
    EXPECT_EQ(p.getRoot()->getStringAttr("a"), "$MODDIR$/x");  // taken as written
    registerCFGMacro("MODDIR", "");

    // Comments are no part of the form (xmllint's --c14n keeps them).
    std::string commented = kModule;
    commented.insert(commented.find("<module"), "<!-- a comment -->\n");
    zrxtest::writeFile(path, commented);
    TCXMLNodeParser q(true);
    q.setMacroMode(0);
    ASSERT_EQ(q.load(path.c_str()), 0u);
    EXPECT_EQ(canonicalOf(q.getRoot()), reference);

    // A change to the tree drops the loaded form: the digest follows the tree.
    p.getRoot()->findNode("item")->setAttr("name", "other");
    EXPECT_NE(canonicalOf(p.getRoot()), reference);
}

TEST(XmlModuleHesh, BuiltTreesGiveTheirOwnCanonicalForm) {
    TCXMLNode root("r");
    root.setAttr("z", "1\"<&\n");
    root.setAttr("a", "2");
    root.setText("x<y>&\r");
    root.addChild("c");
    EXPECT_EQ(canonicalOf(&root), "<r a=\"2\" z=\"1&quot;&lt;&amp;&#xA;\">x&lt;y&gt;&amp;&#xD;<c></c></r>");
    // A refusing callback ends the walk with false.
    EXPECT_FALSE(root.calcHesh([](void*, const void*, size_t) { return false; }, nullptr, ""));
}

}  // namespace
