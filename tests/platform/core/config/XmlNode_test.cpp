#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/XmlHesh.h"
#include "platform/core/config/XmlNode.h"
#include "support/TempDir.h"

namespace {

const char* kConfig = R"(<?xml version="1.0" encoding="UTF-8"?>
<zrxConfig>
  <core>
    <defs>
      <defCertLifeDays val="400"/>
    </defs>
    <jcmpURL val="JCMP2"/>
  </core>
  <app>
    <newKeys> sign,ka </newKeys>
    <flags startupCheckCtx="no" cpytkn="Да"/>
  </app>
  <текст имя="значение">Привет &amp; &lt;мир&gt;</текст>
</zrxConfig>
)";

}  // namespace

TEST(XmlNode, PathsValuesAndDefaults) {
    TCXMLNodeParser p(true);
    ASSERT_EQ(p.loadText(kConfig, strlen(kConfig)), 0u);
    TCXMLNode* root = p.getRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->str(), "zrxConfig");
    EXPECT_EQ(root->getIntValue("core\\defs\\defCertLifeDays.val", 10, 365), 400);
    EXPECT_EQ(root->getIntValue("core\\defs\\missing.val", 10, 365), 365);
    EXPECT_EQ(root->getValue("\\core\\jcmpURL.val", "JCMP").str(), "JCMP2");
    EXPECT_EQ(root->getValue("\\core\\updateURL.val", "update/updates.sxml").str(), "update/updates.sxml");
    EXPECT_EQ(root->getValue("app\\newKeys").str(), "sign,ka");
    EXPECT_FALSE(root->getBoolValue("app\\flags.startupCheckCtx", true));
    EXPECT_TRUE(root->getBoolValue("app\\flags.cpytkn", false));
    EXPECT_TRUE(root->getBoolValue("app\\flags.absent", true));
    // A lookup from a deep node with a leading backslash starts at the top.
    TCXMLNode* defs = root->findNode("core\\defs");
    ASSERT_NE(defs, nullptr);
    EXPECT_EQ(defs->findNode("\\app\\newKeys"), root->findNode("app\\newKeys"));
    EXPECT_EQ(root->findNode("core\\nothing\\deeper"), nullptr);
    // UTF-8 names, attributes and texts, entities decoded.
    TCXMLNode* t = root->findNode("текст");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->getStringAttr("имя").str(), "значение");
    EXPECT_EQ(t->text().str(), "Привет & <мир>");
}

TEST(XmlNode, DeclaredEncodingsBecomeUtf8) {
    // "Привет" and "мир" in windows-1251.
    const std::string doc =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?><r a=\"\xcf\xf0\xe8\xe2\xe5\xf2\">\xec\xe8\xf0</r>";
    TCXMLNodeParser p(true);
    ASSERT_EQ(p.loadText(doc.data(), doc.size()), 0u);
    EXPECT_EQ(p.getRoot()->getStringAttr("a").str(), "Привет");
    EXPECT_EQ(p.getRoot()->text().str(), "мир");
    // Written back as UTF-8.
    EXPECT_NE(p.toText().pos("encoding=\"UTF-8\""), -1);
    EXPECT_NE(p.toText().pos("Привет"), -1);
}

TEST(XmlNode, SaveAndReloadRoundTrip) {
    zrxtest::TempDir dir;
    TCXMLNodeParser p(true);
    ASSERT_EQ(p.loadText(kConfig, strlen(kConfig)), 0u);
    TCXMLNode* n = p.getRoot()->addChild("added");
    n->setAttr("q", "a \"quoted\" <value> & more\nline");
    n->setBoolAttr("critical", true);
    n->setText("текст");
    const std::string file = dir.file("out.xcfg");
    ASSERT_EQ(p.save(file.c_str()), 0u);
    TCXMLNodeParser q(true);
    ASSERT_EQ(q.load(file.c_str()), 0u);
    EXPECT_EQ(q.fileName().str(), file);
    TCXMLNode* m = q.getRoot()->findNode("added");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->getStringAttr("q").str(), "a \"quoted\" <value> & more\nline");
    EXPECT_EQ(m->getStringAttr("critical").str(), "Yes");
    EXPECT_EQ(m->text().str(), "текст");
    EXPECT_EQ(q.toText().str(), p.toText().str());
    // A bad element or attribute name is refused and the file stays as it was.
    const std::string before = zrxtest::readFile(file);
    TCXMLNode* bad = q.getRoot()->addChild("two words");
    EXPECT_EQ(q.save(), XML_E_WRITE);
    q.getRoot()->removeNode(bad);
    m->setAttr("1x", "v");
    EXPECT_EQ(q.save(), XML_E_WRITE);
    m->removeAttr("1x");
    EXPECT_EQ(zrxtest::readFile(file), before);
    // Saving without a name writes the file of the last load.
    m->setAttr("q", "2");
    ASSERT_EQ(q.save(), 0u);
    TCXMLNodeParser r(true);
    ASSERT_EQ(r.load(file.c_str()), 0u);
    EXPECT_EQ(r.getRoot()->getValue("added.q").str(), "2");
}

// Comments of a file stay where they stood when it is saved: before the
// root, before an element, inside an element after its children (also an
// element with nothing else in it) and after the root.
TEST(XmlNode, CommentsStayWhereTheyStood) {
    const char text[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- перед коренем -->\n<list a=\"1\">\n"
        "  <!-- перед першим -->\n  <first/>\n  <second>\n    <inner/>\n    <!-- наприкінці -->\n  </second>\n"
        "  <empty><!-- лише коментар --></empty>\n  <!-- після останнього -->\n</list>\n<!-- після кореня -->\n";
    zrxtest::TempDir dir;
    const std::string file = dir.file("c.xml");
    zrxtest::writeFile(file, text);
    TCXMLNodeParser p(true);
    ASSERT_EQ(0u, p.load(file.c_str()));
    p.getRoot()->addChild("added");
    ASSERT_EQ(0u, p.save());
    const std::string saved = zrxtest::readFile(file);
    const char* order[] = {"<!-- перед коренем -->",
                           "<list",
                           "<!-- перед першим -->",
                           "<first/>",
                           "<second>",
                           "<inner/>",
                           "<!-- наприкінці -->",
                           "</second>",
                           "<empty>",
                           "<!-- лише коментар -->",
                           "</empty>",
                           "<added/>",
                           "<!-- після останнього -->",
                           "</list>",
                           "<!-- після кореня -->"};
    size_t at = 0;
    for (const char* piece : order) {
        const size_t found = saved.find(piece, at);
        ASSERT_NE(std::string::npos, found) << piece << " in\n" << saved;
        at = found + 1;
    }
    // Read back, the same text again.
    TCXMLNodeParser q(true);
    ASSERT_EQ(0u, q.load(file.c_str()));
    EXPECT_EQ(p.toText().str(), q.toText().str());
}

TEST(XmlNode, MacroModeExpandsOnLoadOnlyWhenOn) {
    clearCFGMacros();
    registerCFGMacro("XCFG", "/x/cfg");
    const char* doc = "<r path=\"$XCFG$/a\">$XCFG$</r>";
    TCXMLNodeParser on(true);
    ASSERT_EQ(on.loadText(doc, strlen(doc)), 0u);
    EXPECT_EQ(on.getRoot()->getStringAttr("path").str(), "/x/cfg/a");
    EXPECT_EQ(on.getRoot()->text().str(), "/x/cfg");
    TCXMLNodeParser off(true);
    off.setMacroMode(0);
    ASSERT_EQ(off.loadText(doc, strlen(doc)), 0u);
    EXPECT_EQ(off.getRoot()->getStringAttr("path").str(), "$XCFG$/a");
}

TEST(XmlNode, MalformedInputGivesClearCodesAndKeepsTree) {
    zrxtest::TempDir dir;
    TCXMLNodeParser p(true);
    ASSERT_EQ(p.loadText("<a/>", 4), 0u);
    TCXMLNode* before = p.getRoot();
    const struct {
        std::string text;
        KResult code;
    } cases[] = {
        {"<a><b></a>", XML_E_SYNTAX},      {"", XML_E_SYNTAX},
        {"just text", XML_E_SYNTAX},       {"<a x='1' x='2'/>", XML_E_SYNTAX},
        {"<a>\xff\xfe</a>", XML_E_SYNTAX}, {std::string(200000, '<'), XML_E_SYNTAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(p.loadText(c.text.data(), c.text.size(), "case.xml"), c.code) << c.text.substr(0, 20);
        EXPECT_EQ(p.getRoot(), before);
    }
    EXPECT_NE(p.lastError().pos("case.xml"), -1);
    EXPECT_EQ(p.load(dir.file("missing.xml").c_str()), XML_E_OPEN);
    // Deep nesting beyond the parser's limit fails cleanly.
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "<d>";
    EXPECT_EQ(p.loadText(deep.data(), deep.size()), XML_E_SYNTAX);
}

TEST(XmlNode, HostileDocumentsAreRefusedWithoutFetching) {
    zrxtest::TempDir dir;
    zrxtest::writeFile(dir.file("secret.txt"), "TOP-SECRET");
    // A listening socket on 127.0.0.1 notices any attempt to fetch from it.
    const int lsock = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(lsock, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(lsock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t alen = sizeof addr;
    ASSERT_EQ(getsockname(lsock, reinterpret_cast<sockaddr*>(&addr), &alen), 0);
    ASSERT_EQ(listen(lsock, 8), 0);
    const int port = ntohs(addr.sin_port);
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/e";
    const std::string docs[] = {
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + dir.file("secret.txt") + "\">]><r>&x;</r>",
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + url + "\">]><r a=\"&x;\">&x;</r>",
        "<!DOCTYPE r SYSTEM \"" + url + "\"><r/>",
        "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + url + "\"> %p;]><r/>",
        "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]><r>&d;&d;</r>",
    };
    for (const auto& d : docs) {
        TCXMLNodeParser p(true);
        const std::string file = dir.file("hostile.xml");
        zrxtest::writeFile(file, d);
        EXPECT_EQ(p.load(file.c_str()), XML_E_DTD) << d;
        EXPECT_EQ(p.getRoot(), nullptr);
    }
    // An undeclared entity is not resolved from anywhere either.
    TCXMLNodeParser p(true);
    const std::string undeclared = "<r>&x;</r>";
    EXPECT_EQ(p.loadText(undeclared.data(), undeclared.size()), XML_E_SYNTAX);
    pollfd pfd{lsock, POLLIN, 0};
    EXPECT_EQ(poll(&pfd, 1, 200), 0) << "a connection was attempted";
    close(lsock);
}

// Files that are not regular (a FIFO, a device) or too big, and documents
// with too many elements, are refused with a clear code, without hanging or
// growing without bound.
TEST(XmlNode, NonRegularHugeAndTooManyElementFilesAreRefused) {
    zrxtest::TempDir dir;
    const std::string fifo = dir.file("fifo.xml"), many = dir.file("many.xml");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string text = "<r>";
    for (size_t i = 0; i <= TCXMLBaseParser::kMaxElements; ++i) text += "<a/>";
    text += "</r>";
    zrxtest::writeFile(many, text);
    const struct {
        std::string file;
        KResult code;
    } cases[] = {{fifo, XML_E_OPEN}, {"/dev/zero", XML_E_OPEN}, {many, XML_E_TOOLARGE}};
    for (const auto& c : cases) {
        TCXMLNodeParser p(true);
        EXPECT_EQ(p.load(c.file.c_str()), c.code) << c.file;
        EXPECT_EQ(p.getRoot(), nullptr);
    }
    // The root and its children at the limit still load.
    std::string most = "<r>";
    for (size_t i = 1; i < TCXMLBaseParser::kMaxElements; ++i) most += "<a/>";
    most += "</r>";
    TCXMLNodeParser p(true);
    EXPECT_EQ(p.loadText(most.data(), most.size()), 0u);
}

// What a save writes, the loader reads back as it was: namespace prefixes
// and their declarations are kept.
TEST(XmlNode, SavedFileAlwaysLoadsBack) {
    zrxtest::TempDir dir;
    const char* const docs[] = {
        "<r xmlns:a=\"urn:a\" xmlns:b=\"urn:b\" a:note=\"1\" b:note=\"2\"/>",
        "<a:r xmlns:a=\"urn:a\"><a:c a:k=\"v\"/></a:r>",
        "<r xmlns=\"urn:d\"><c/></r>",
    };
    for (const char* doc : docs) {
        TCXMLNodeParser p(true);
        ASSERT_EQ(p.loadText(doc, strlen(doc)), 0u) << doc;
        const std::string file = dir.file("saved.xml");
        ASSERT_EQ(p.save(file.c_str()), 0u) << doc;
        TCXMLNodeParser q(true);
        ASSERT_EQ(q.load(file.c_str()), 0u) << zrxtest::readFile(file);
        EXPECT_EQ(q.toText(), p.toText());
    }
    TCXMLNodeParser p(true);
    ASSERT_EQ(p.loadText(docs[0], strlen(docs[0])), 0u);
    EXPECT_EQ(p.getRoot()->getStringAttr("a:note").str(), "1");
    EXPECT_EQ(p.getRoot()->getStringAttr("b:note").str(), "2");
}

// Text that is not UTF-8 is refused when set; a tree that holds it anyway
// (or an attribute twice) is not saved, and nothing is written.
TEST(XmlNode, NonUtf8ValuesAreRefused) {
    const char* const bad[] = {"\xff", "ok\xd0", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"};
    TCXMLNode n("n");
    ASSERT_EQ(n.setAttr("k", "кept"), 0u);
    ASSERT_EQ(n.setText("текст"), 0u);
    for (const char* b : bad) {
        EXPECT_EQ(n.setAttr("k", b), XML_E_ENCODING) << b;
        EXPECT_EQ(n.setText(b), XML_E_ENCODING) << b;
    }
    EXPECT_EQ(n.getStringAttr("k").str(), "кept");
    EXPECT_EQ(n.text().str(), "текст");
    zrxtest::TempDir dir;
    const TCXMLAttrs twice = {{TCString("note"), TCString("1")}, {TCString("note"), TCString("2")}};
    const TCXMLAttrs notUtf8 = {{TCString("note"), TCString("\xff")}};
    for (const TCXMLAttrs* attrs : {&twice, &notUtf8}) {
        TCXMLNodeParser p(true);
        p.setRoot(new TCXMLNode("r", attrs));
        const std::string file = dir.file("never.xml");
        EXPECT_EQ(p.save(file.c_str()), XML_E_WRITE);
        EXPECT_FALSE(std::filesystem::exists(file));
    }
}

TEST(XmlNode, ChildrenDuplicateAndDetach) {
    TCXMLNode root("r");
    TCXMLNode* a = root.addChild("a");
    a->setAttr("k", "v");
    a->addChild("b")->setText("t");
    std::unique_ptr<TCXMLNode> copy(root.duplicate());
    EXPECT_EQ(copy->findNode("a\\b")->text().str(), "t");
    EXPECT_NE(copy->findNode("a"), a);
    EXPECT_EQ(copy->getValue("a.k").str(), "v");
    EXPECT_TRUE(root.removeNode(a));
    EXPECT_EQ(root.nodesCount(), 0);
    EXPECT_FALSE(root.removeNode(copy.get()));
    EXPECT_EQ(copy->findNode("a")->parent(), copy.get());
    EXPECT_TRUE(isValidXMLName("zorenUID"));
    EXPECT_TRUE(isValidXMLName("имя"));
    EXPECT_FALSE(isValidXMLName("1abc"));
    EXPECT_FALSE(isValidXMLName("a b"));
    EXPECT_FALSE(isValidXMLName("a<b"));
    EXPECT_FALSE(isValidXMLName(""));
}

TEST(XmlHesh, DetectsAnyChangeOfTheTree) {
    TCXMLNodeParser p(true);
    ASSERT_EQ(p.loadText(kConfig, strlen(kConfig)), 0u);
    TCXMLNode* root = p.getRoot();
    EXPECT_FALSE(verifyHesh(root, "cpkix", 0));  // no digest stored
    ASSERT_TRUE(setHesh(root, "cpkix"));
    EXPECT_TRUE(verifyHesh(root, "cpkix", 0));
    // Survives a save and reload.
    TCXMLNodeParser q(true);
    const TCString text = p.toText();
    ASSERT_EQ(q.loadText(text.c_str(), text.length()), 0u);
    EXPECT_TRUE(verifyHesh(q.getRoot(), "cpkix", 0));
    // Changing a value, moving text between attribute and name, or adding a node breaks it.
    q.getRoot()->findNode("core\\defs\\defCertLifeDays")->setAttr("val", "401");
    EXPECT_FALSE(verifyHesh(q.getRoot(), "cpkix", 0));
    q.getRoot()->findNode("core\\defs\\defCertLifeDays")->setAttr("val", "400");
    EXPECT_TRUE(verifyHesh(q.getRoot(), "cpkix", 0));
    q.getRoot()->addChild("extra");
    EXPECT_FALSE(verifyHesh(q.getRoot(), "cpkix", 0));
}

// Only the element holding the digest is left out: elements of its name
// elsewhere, and any number of added children or attributes, break it.
TEST(XmlHesh, OnlyTheDigestElementIsLeftOut) {
    const struct {
        const char* what;
        void (*change)(TCXMLNode* root);
    } cases[] = {
        {"deep cpkix", [](TCXMLNode* r) { r->findNode("core\\defs")->addChild("cpkix")->setAttr("val", "x"); }},
        {"256 cpkix children",
         [](TCXMLNode* r) {
             for (int i = 0; i < 256; ++i) r->findNode("core")->addChild("cpkix");
         }},
        {"256 children",
         [](TCXMLNode* r) {
             for (int i = 0; i < 256; ++i) r->findNode("core\\defs")->addChild("x");
         }},
        {"256 attributes",
         [](TCXMLNode* r) {
             for (int i = 0; i < 256; ++i) r->findNode("core\\defs")->setAttr(("a" + std::to_string(i)).c_str(), "");
         }},
    };
    for (const auto& c : cases) {
        TCXMLNodeParser p(true);
        ASSERT_EQ(p.loadText(kConfig, strlen(kConfig)), 0u);
        ASSERT_TRUE(setHesh(p.getRoot(), "cpkix"));
        c.change(p.getRoot());
        EXPECT_FALSE(verifyHesh(p.getRoot(), "cpkix", 0)) << c.what;
    }
}

TEST(XmlHesh, DigestElementFoundWithoutRegardToCase) {
    // findChild finds "CPKIX" for "cpkix": the digest must leave that element out too.
    const char* text = "<r><CPKIX/><core><a v='1'/></core></r>";
    TCXMLNodeParser p(true);
    ASSERT_EQ(p.loadText(text, strlen(text)), 0u);
    ASSERT_TRUE(setHesh(p.getRoot(), "cpkix"));
    EXPECT_EQ(p.getRoot()->nodesCount(), 2);  // stored in the existing element
    EXPECT_TRUE(verifyHesh(p.getRoot(), "cpkix", 0));
    p.getRoot()->findNode("core\\a")->setAttr("v", "2");
    EXPECT_FALSE(verifyHesh(p.getRoot(), "cpkix", 0));
}

// libxml2's own messages (encodings, canonicalisation) never reach standard
// error: a failure names its reason in the loader's result.
TEST(XmlNode, LibraryMessagesGoIntoTheResultNotStandardError) {
    const struct {
        std::string text;
        KResult code;
        const char* reason;  // in lastError() when set
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?><a>\x1b$B\xff\xff</a>", XML_E_SYNTAX, "conversion"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xff\xfe</a>", XML_E_SYNTAX, "UTF-8"},
        // Loads, without its own canonical form (a relative namespace has none).
        {"<a xmlns=\"rel/x\"><b/></a>", 0, nullptr},
    };
    for (const auto& c : cases) {
        TCXMLNodeParser p(true);
        p.setMacroMode(0);
        testing::internal::CaptureStderr();
        const KResult r = p.loadText(c.text.data(), c.text.size(), "case.xml");
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(r, c.code) << c.text;
        EXPECT_EQ(printed, "") << c.text;
        if (c.reason) {
            EXPECT_NE(p.lastError().pos(c.reason), -1) << p.lastError().c_str();
        }
    }
}
