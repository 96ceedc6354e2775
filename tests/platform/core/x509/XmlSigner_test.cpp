// The signed-XML verifier against documents signed at test time by xmlsec1.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/core/x509/XmlSigner.h"
#include "support/SignedXml.h"
#include "support/TempDir.h"

namespace {

const char kPayload[] = "<autoupdate xmlns=\"\" href=\"http://example.test/upd\"><files/></autoupdate>";

// The lookup of the tests: the one certificate of the context, by key identifier.
KResult lookupOne(TZrX509& out, void* context, const TCASN1OctetString& keyId) {
    auto* cert = static_cast<TZrX509*>(context);
    if (cert->getKeyID() != keyId) return 0xC080002Au;
    out = *cert;
    return 0;
}

class XmlSignerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new zrxtest::TempDir;
        rsa_ = zrxtest::makePublisher(dir_->str(), "rsa");
        ec_ = zrxtest::makePublisher(dir_->str(), "ec", true);
        other_ = zrxtest::makePublisher(dir_->str(), "other");
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static TZrX509 load(const zrxtest::Publisher& p) {
        TZrX509 c;
        EXPECT_TRUE(c.loadFromFile(p.cert.c_str()));
        return c;
    }
    KResult verify(const std::string& text, TZrX509& trusted, TZrXMLSigner* keep = nullptr) {
        TZrXMLSigner local(lookupOne, &trusted);
        TZrXMLSigner& s = keep ? *keep : local;
        return s.verifyXMLText(text.data(), text.size(), "list.xml");
    }
    static zrxtest::TempDir* dir_;
    static zrxtest::Publisher rsa_, ec_, other_;
};

zrxtest::TempDir* XmlSignerTest::dir_ = nullptr;
zrxtest::Publisher XmlSignerTest::rsa_, XmlSignerTest::ec_, XmlSignerTest::other_;

TEST_F(XmlSignerTest, GoodListsVerifyAndGiveTheSignedElementOnly) {
    for (const auto* p : {&rsa_, &ec_}) {
        const std::string text = zrxtest::writeSigned(*p, kPayload, dir_->file(p->ec ? "ec.xml" : "rsa.xml"));
        ASSERT_FALSE(text.empty());
        TZrX509 cert = load(*p);
        TZrXMLSigner signer(lookupOne, &cert);
        ASSERT_EQ(signer.verifyXMLFile(dir_->file(p->ec ? "ec.xml" : "rsa.xml").c_str()), 0u) << signer.lastError();
        TCXMLNode* obj = signer.getObject(false);
        ASSERT_NE(obj, nullptr);
        EXPECT_EQ(*obj, "autoupdate");
        EXPECT_EQ(obj->getStringAttr("href"), "http://example.test/upd");
        EXPECT_NE(obj->findNode("files"), nullptr);
        EXPECT_EQ(obj->parent(), nullptr);  // nothing around the signed element
        EXPECT_EQ(signer.signer().getKeyID(), cert.getKeyID());
    }
}

TEST_F(XmlSignerTest, TamperedAndMisshapenDocumentsAreRefusedWithTheirCodes) {
    const std::string good = zrxtest::writeSigned(rsa_, kPayload, dir_->file("base.xml"));
    ASSERT_FALSE(good.empty());
    TZrX509 cert = load(rsa_);
    TZrX509 stranger = load(other_);
    ASSERT_EQ(verify(good, cert), 0u);

    struct Case {
        const char* name;
        std::string text;
        KResult code;
        TZrX509* trusted;
    };
    std::string changed = good, wrapped = good, doctype = good, secondRef = good, twoSigs = good;
    ASSERT_TRUE(zrxtest::replaceOnce(changed, "http://example.test/upd", "http://evil.test/upd"));
    ASSERT_TRUE(zrxtest::replaceOnce(wrapped, "</Signature>",
                                     "<Object Id=\"evil\"><autoupdate xmlns=\"\" href=\"http://evil.test\"/></Object>"
                                     "</Signature>"));
    ASSERT_TRUE(zrxtest::replaceOnce(doctype, "<Signature ", "<!DOCTYPE Signature [<!ENTITY x \"y\">]>\n<Signature "));
    ASSERT_TRUE(zrxtest::replaceOnce(secondRef, "</SignedInfo>",
                                     "<Reference URI=\"#list\"><DigestMethod "
                                     "Algorithm=\"http://www.w3.org/2001/04/xmlenc#sha256\"/>"
                                     "<DigestValue>AA==</DigestValue></Reference></SignedInfo>"));
    ASSERT_TRUE(zrxtest::replaceOnce(twoSigs, "<files/>", "<files/>" + good.substr(good.find("<Signature"))));
    // An XSLT transform, signed as such by the tool.
    const std::string xsltTmpl = dir_->file("xslt.tmpl");
    zrxtest::writeFile(
        xsltTmpl,
        zrxtest::signatureTemplate(kPayload, false,
                                   "<Transform Algorithm=\"http://www.w3.org/TR/1999/REC-xslt-19991116\">"
                                   "<xsl:stylesheet xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" version=\"1.0\">"
                                   "<xsl:template match=\"/\"><x/></xsl:template></xsl:stylesheet></Transform>"));
    std::string xslt;
    if (zrxtest::signTemplate(rsa_, xsltTmpl, dir_->file("xslt.xml"))) xslt = zrxtest::readFile(dir_->file("xslt.xml"));
    else xslt = zrxtest::readFile(xsltTmpl);

    const Case cases[] = {
        {"attribute changed after signing", changed, XMLSIG_E_INVALID, &cert},
        {"unknown key identifier", good, 0xC080002Au, &stranger},
        {"second object (wrapping)", wrapped, XMLSIG_E_FORM, &cert},
        {"DOCTYPE with an entity", doctype, XML_E_DTD, &cert},
        {"second reference", secondRef, XMLSIG_E_FORM, &cert},
        {"second signature", twoSigs, XMLSIG_E_FORM, &cert},
        {"XSLT transform", xslt, XMLSIG_E_FORM, &cert},
        {"not XML", "<Signature", XML_E_SYNTAX, &cert},
    };
    for (const Case& c : cases) {
        TZrXMLSigner signer(lookupOne, c.trusted);
        EXPECT_EQ(signer.verifyXMLText(c.text.data(), c.text.size()), c.code) << c.name << ": " << signer.lastError();
        EXPECT_EQ(signer.getObject(), nullptr) << c.name;
    }
}

TEST_F(XmlSignerTest, ASignatureByAnotherKeyUnderTheTrustedIdentifierFails) {
    // The document names the trusted key identifier but was signed by another key.
    std::string forged = zrxtest::writeSigned(other_, kPayload, dir_->file("forged.xml"));
    ASSERT_FALSE(forged.empty());
    TZrX509 cert = load(rsa_);
    TZrX509 otherCert = load(other_);
    const std::string trustedSki = TCString::base64Of(cert.getKeyID().data(), cert.getKeyID().length()).str();
    const std::string otherSki = TCString::base64Of(otherCert.getKeyID().data(), otherCert.getKeyID().length()).str();
    const size_t at = forged.find("<X509SKI>") + 9;
    forged.replace(at, forged.find("</X509SKI>") - at, trustedSki);
    EXPECT_NE(otherSki, trustedSki);
    EXPECT_EQ(verify(forged, cert), XMLSIG_E_INVALID);
}

TEST_F(XmlSignerTest, MissingFileIsAnOpenFailure) {
    TZrX509 cert = load(rsa_);
    TZrXMLSigner signer(lookupOne, &cert);
    EXPECT_EQ(signer.verifyXMLFile(dir_->file("absent.xml").c_str()), XML_E_OPEN);
    EXPECT_EQ(signer.verifyXMLFile(nullptr), XML_E_OPEN);
}

}  // namespace

// The fuzz target's seeds signed with the fixed test keys verify with those
// keys' certificates, so that fuzzing reaches what follows a good check.
TEST(XmlSignerFuzzSeeds, SeedsSignedWithTheTestKeysVerify) {
    const std::string fuzz = std::string(ZRX_SOURCE_DIR) + "/tests/fuzz/";
    static TZrX509 certs[2];
    ASSERT_TRUE(certs[0].loadFromFile((fuzz + "keys/xml_signer-rsa.crt.pem").c_str()));
    ASSERT_TRUE(certs[1].loadFromFile((fuzz + "keys/xml_signer-ec.crt.pem").c_str()));
    auto lookup = [](TZrX509& out, void*, const TCASN1OctetString& keyId) -> KResult {
        for (const TZrX509& c : certs)
            if (c.getKeyID() == keyId) {
                out = c;
                return 0;
            }
        return 0xC080002Au;
    };
    int signedSeeds = 0;
    for (const auto& e : std::filesystem::directory_iterator(fuzz + "corpus/xml_signer")) {
        const std::string name = e.path().filename().string();
        if (name.rfind("signed-", 0) != 0) continue;
        ++signedSeeds;
        TZrXMLSigner signer(lookup, nullptr);
        EXPECT_EQ(signer.verifyXMLFile(e.path().c_str()), 0u) << name << ": " << signer.lastError().c_str();
        EXPECT_NE(signer.getObject(), nullptr) << name;
    }
    EXPECT_GE(signedSeeds, 2);
}

// libxml2's messages (here: canonicalisation of an object with a relative
// namespace) join the failure's reason and never reach standard error.
TEST_F(XmlSignerTest, LibraryMessagesGoIntoTheReasonNotStandardError) {
    const std::string good = zrxtest::writeSigned(rsa_, kPayload, dir_->file("c14n.xml"));
    ASSERT_FALSE(good.empty());
    std::string relative = good;
    ASSERT_TRUE(zrxtest::replaceOnce(relative, "xmlns=\"\"", "xmlns=\"rel/x\""));
    TZrX509 cert = load(rsa_);
    TZrXMLSigner signer(lookupOne, &cert);
    testing::internal::CaptureStderr();
    const KResult r = signer.verifyXMLText(relative.data(), relative.size());
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(r, XMLSIG_E_INVALID);
    EXPECT_EQ(printed, "");
    EXPECT_NE(signer.lastError().pos("Relative namespace"), -1) << signer.lastError().c_str();
}
