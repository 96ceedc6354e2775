// Key profiles, crypto templates, flag descriptors and user objects.
#include <gtest/gtest.h>
#include <openssl/objects.h>

#include <tuple>

#include "platform/core/config/FlagDescriptors.h"
#include "platform/core/config/P12Template.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/x509/XObjects.h"
#include "platform/core/config/XmlNode.h"
#include "support/TempDir.h"

namespace {

std::unique_ptr<TCXMLNode> parse(const char* text) {
    TCXMLNodeParser p(true);
    EXPECT_EQ(p.loadText(text, strlen(text)), 0u) << text;
    return std::unique_ptr<TCXMLNode>(p.detachRoot());
}

}  // namespace

TEST(Profiles, InitFromNodesTable) {
    const struct {
        const char* xml;
        int ok;
    } cases[] = {
        {"<sign id='1' caption='Ключи ЭП' keys='sign' template='t.xcfg'/>", 1},
        {"<both id='5' caption='Оба' keys='sign,ka' days='730' template='t.xcfg' frames='UserExPars, Other'/>", 1},
        {"<noCaption id='1' keys='sign' template='t.xcfg'/>", 0},
        {"<noId caption='c' keys='sign' template='t.xcfg'/>", 0},
        {"<badKeys id='1' caption='c' keys='encrypt' template='t.xcfg'/>", 0},
        {"<noKeys id='1' caption='c' template='t.xcfg'/>", 0},
        {"<noTemplate id='1' caption='c' keys='ka'/>", 0},
        {"<badDays id='1' caption='c' keys='ka' days='0' template='t.xcfg'/>", 0},
        {"<escape id='1' caption='c' keys='ka' template='../../etc/passwd'/>", 0},
        {"<badId id='x' caption='c' keys='ka' template='t.xcfg'/>", 0},
    };
    for (const auto& c : cases) {
        auto n = parse(c.xml);
        TCXProfileDescriptor d;
        EXPECT_EQ(initProfile(&d, n.get()), c.ok) << c.xml;
    }
    auto n = parse(cases[1].xml);
    TCXProfileDescriptor d;
    ASSERT_EQ(initProfile(&d, n.get()), 1);
    EXPECT_EQ(d.name.str(), "both");
    EXPECT_EQ(d.id, 5);
    EXPECT_EQ(d.kind, 5);
    EXPECT_EQ(d.flags, PF_SIGN_KEYS | PF_KA_KEYS);
    EXPECT_EQ(d.days(), 730);
    ASSERT_EQ(d.frames.count(), 2);
    EXPECT_EQ(d.frames[1].str(), "Other");
    TCString file;
    ASSERT_TRUE(TCXProfileDescriptor::getTemplateFileName(file, &d, "/appdata/"));
    EXPECT_EQ(file.str(), "/appdata/xcfg/t.xcfg");
}

TEST(Profiles, RegistryLookupsNewKeysAndDefaultLifetime) {
    clearXProfiles();
    auto tree = parse(
        "<profiles>"
        "<ka id='2' caption='Ключи связи' keys='ka' template='ka.xcfg'/>"
        "<sign id='1' caption='Ключи ЭП' keys='sign' template='s.xcfg' days='100'/>"
        "</profiles>");
    for (int i = 0; i < tree->nodesCount(); ++i) {
        auto* d = new TCXProfileDescriptor;
        ASSERT_EQ(initProfile(d, tree->at(i)), 1);
        ASSERT_TRUE(_registerXProfile(d));
    }
    EXPECT_EQ(_getXProfileAt(0)->name.str(), "ka");
    EXPECT_EQ(_getXProfileAt(2), nullptr);
    EXPECT_EQ(_getXProfileInt(1)->name.str(), "sign");
    EXPECT_EQ(_getXProfileInt(77), nullptr);
    EXPECT_EQ(_getDefPFList().findProfile("SIGN"), _getXProfileInt(1));
    EXPECT_EQ(getProfileCaptionInt(2).str(), "Ключи связи");

    // Unknown names are skipped; ids work too; duplicates count once.
    EXPECT_EQ(_initNewKeysItemList("sign, nothing;2 sign"), 2);
    EXPECT_EQ(_newKeysItemList().at(0)->name.str(), "sign");
    EXPECT_EQ(_newKeysItemList().at(1)->name.str(), "ka");
    EXPECT_EQ(_initNewKeysItemList(""), 0);

    _pfSetDefCertLifeDays(0);  // ignored
    EXPECT_EQ(_getXProfileInt(2)->days(), 365);
    _pfSetDefCertLifeDays(500);
    EXPECT_EQ(_getXProfileInt(2)->days(), 500);
    EXPECT_EQ(_getXProfileInt(1)->days(), 100);

    EXPECT_EQ(initDefaultProfile(), _getXProfileInt(1));  // the first with signature keys
    clearXProfiles();
    EXPECT_EQ(_getXProfileAt(0), nullptr);
}

TEST(P12Template, LoadsAlgorithmsAndAnswersIdentifiers) {
    zrxtest::TempDir dir;
    const std::string file = dir.file("t.xcfg");
    zrxtest::writeFile(file,
                       "<cryptoTemplate version='1'>"
                       "<sign>"
                       "<params name='ecP256' alg='EC:P-256' caption='ECDSA P-256'/>"
                       "<params name='ecP384' alg='EC:P-384' default='yes'/>"
                       "<params name='rsa' alg='RSA:3072' profiles='3'/>"
                       "<params name='ed' alg='Ed25519'/>"
                       "</sign>"
                       "<keyAgreement>"
                       "<params name='x' alg='X25519' default='yes'/>"
                       "<params name='dh' alg='ECDH:P-256'/>"
                       "</keyAgreement>"
                       "</cryptoTemplate>");
    TZrXP12Template t;
    ASSERT_EQ(loadP12Template(file.c_str(), &t), 0u);
    EXPECT_EQ(t.count(), 6);
    EXPECT_EQ(t.paramsFor(1, false).size(), 3u);  // the RSA set serves profile 3 only
    EXPECT_EQ(t.paramsFor(3, false).size(), 4u);
    EXPECT_EQ(t.defaultParams(1, false)->name.str(), "ecP384");
    EXPECT_EQ(t.findParams("ed")->caption.str(), "Ed25519");
    EXPECT_EQ(t.findParams("rsa")->bits, 3072);
    // Pickers show the set's caption, else a name made from the algorithm.
    EXPECT_EQ(getCryptoParsCaption(t.findParams("ecP256")).str(), "ECDSA P-256");
    EXPECT_EQ(getCryptoParsCaption(nullptr).str(), "");
    for (const auto& [alg, ka, caption] : {std::tuple{"EC:P-384", false, "EC P-384"},
                                           {"RSA:4096", false, "RSA 4096"},
                                           {"ECDH:P-256", true, "ECDH P-256"},
                                           {"X25519", true, "X25519"}}) {
        TZrXP12Params p;
        ASSERT_TRUE(parseP12Algorithm(alg, ka, p)) << alg;
        p.alg = alg;
        EXPECT_EQ(getCryptoParsCaption(&p).str(), caption) << alg;
    }

    const X509_ALGOR* sign = t.getCryptoParamters(1, false);
    ASSERT_NE(sign, nullptr);
    const ASN1_OBJECT* obj = nullptr;
    int ptype = 0;
    const void* pval = nullptr;
    X509_ALGOR_get0(&obj, &ptype, &pval, sign);
    EXPECT_EQ(OBJ_obj2nid(obj), NID_X9_62_id_ecPublicKey);
    ASSERT_EQ(ptype, V_ASN1_OBJECT);
    EXPECT_EQ(OBJ_obj2nid(static_cast<const ASN1_OBJECT*>(pval)), NID_secp384r1);
    X509_ALGOR_get0(&obj, &ptype, &pval, t.getCryptoParamters(1, true));
    EXPECT_EQ(OBJ_obj2nid(obj), NID_X25519);
}

TEST(P12Template, RejectsBadTemplates) {
    zrxtest::TempDir dir;
    const struct {
        const char* xml;
        KResult code;
    } cases[] = {
        {"<cryptoTemplate/>", 0xC0800049u},
        {"<cryptoTemplate><sign><params name='a' alg='EC:P-521'/></sign></cryptoTemplate>", 0xC0800049u},
        {"<cryptoTemplate><sign><params name='a' alg='RSA:1024'/></sign></cryptoTemplate>", 0xC0800049u},
        {"<cryptoTemplate><sign><params name='a' alg='RSA:2500'/></sign></cryptoTemplate>", 0xC0800049u},
        {"<cryptoTemplate><sign><params name='a' alg='X25519'/></sign></cryptoTemplate>", 0xC0800049u},
        {"<cryptoTemplate><keyAgreement><params name='a' alg='Ed25519'/></keyAgreement></cryptoTemplate>", 0xC0800049u},
        {"<cryptoTemplate><sign><params alg='Ed25519'/></sign></cryptoTemplate>", 0xC0800049u},
        {"<cryptoTemplate><sign><params name='a' alg='Ed25519'/><params name='A' alg='EC:P-256'/></sign>"
         "</cryptoTemplate>",
         0xC0800049u},
        {"<cryptoTemplate><sign><params name='a' alg='Ed25519' profiles='x'/></sign></cryptoTemplate>", 0xC0800049u},
        {"<cryptoTemplate><sign>", XML_E_SYNTAX},
    };
    const std::string file = dir.file("bad.xcfg");
    for (const auto& c : cases) {
        zrxtest::writeFile(file, c.xml);
        TZrXP12Template t;
        EXPECT_EQ(loadP12Template(file.c_str(), &t), c.code) << c.xml;
        EXPECT_TRUE(t.isEmpty());
        EXPECT_EQ(t.getCryptoParamters(0, false), nullptr);
    }
    TZrXP12Template t;
    EXPECT_EQ(loadP12Template(dir.file("none.xcfg").c_str(), &t), XML_E_OPEN);
}

TEST(FlagDescriptors, ValuesAndTextForms) {
    clearFBDescriptors();
    auto tree = parse(
        "<flagDescriptors>"
        "<keyUsage type='set'>"
        "<item name='digitalSignature' caption='Цифровая подпись' val='0x80'/>"
        "<item name='keyAgreement' caption='Согласование ключей' val='0x8'/>"
        "</keyUsage>"
        "<mode type='enum'><item caption='Файл' val='0'/><item caption='Токен' val='36'/></mode>"
        "<broken type='set'><item name='x' val='zz'/></broken>"
        "<empty/>"
        "</flagDescriptors>");
    EXPECT_EQ(addXMLFBDescriptors(tree.get()), 2);
    const TCFlagsBoxDescriptor* ku = findFBFields("KEYUSAGE");
    ASSERT_NE(ku, nullptr);
    ASSERT_EQ(ku->values.size(), 2u);
    EXPECT_EQ(ku->values[0].caption.str(), "Цифровая подпись");
    EXPECT_EQ(ku->values[0].value, 0x80u);
    EXPECT_EQ(findFBFields("broken"), nullptr);
    EXPECT_EQ(findFBFields("nothing"), nullptr);

    bool ok = false;
    EXPECT_EQ(fbFlagsByText("keyUsage", "digitalSignature, keyAgreement", FBLT_CHECKBOXES, &ok), 0x88u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(fbFlagsByText("keyUsage", "согласование КЛЮЧЕЙ", FBLT_CHECKBOXES, &ok), 0x8u);
    EXPECT_EQ(fbFlagsByText("keyUsage", "digitalSignature,bogus", FBLT_CHECKBOXES, &ok), 0x80u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(fbFlagsByText("keyUsage", "", FBLT_CHECKBOXES, &ok), 0u);
    EXPECT_EQ(fbTextByFlag("keyUsage", 0x88, FBLT_CHECKBOXES).str(), "digitalSignature,keyAgreement");
    EXPECT_EQ(fbTextByFlag("keyUsage", 0x180, FBLT_CHECKBOXES).str(), "digitalSignature,0x100");
    EXPECT_EQ(fbTextByFlag("mode", 36, FBLT_RADIO).str(), "Токен");
    EXPECT_EQ(fbTextByFlag("mode", 0, FBLT_RADIO).str(), "Файл");
    EXPECT_EQ(fbFlagsByText("mode", "Токен", FBLT_RADIO, &ok), 36u);
    // Round trip of every subset.
    for (uint64_t v : {0x0ull, 0x8ull, 0x80ull, 0x88ull})
        EXPECT_EQ(fbFlagsByText("keyUsage", fbTextByFlag("keyUsage", v, FBLT_CHECKBOXES).c_str(), FBLT_CHECKBOXES), v);
}

TEST(XObjects, RegisterObjectsAndFormats) {
    TZrXObjectRecord r{"cfgTestObj", "Тестовый объект", "1.3.6.1.4.1.99999.7.1", 0, xvtString, true};
    const int nid = ZrXRegisterObject(&r);
    ASSERT_NE(nid, 0);
    EXPECT_EQ(r.registered, nid);
    EXPECT_EQ(OBJ_sn2nid("cfgTestObj"), nid);
    TCEditsEntryType type = xvtNone;
    bool critical = false;
    ASSERT_TRUE(getXObjectInfo(nid, &type, &critical));
    EXPECT_EQ(type, xvtString);
    EXPECT_TRUE(critical);
    // Same again: the same NID.
    TZrXObjectRecord again = r;
    again.registered = 0;
    EXPECT_EQ(ZrXRegisterObject(&again), nid);
    const struct {
        TZrXObjectRecord rec;
    } bad[] = {
        {{"cfgTestObj", "Другой", "1.3.6.1.4.1.99999.7.2", 0, xvtString, false}},  // name taken
        {{"other", "Другой", "1.3.6.1.4.1.99999.7.1", 0, xvtString, false}},       // OID has another name
        {{"x2", "y2", "not.an.oid", 0, xvtString, false}},
        {{"x3", "y3", "1", 0, xvtString, false}},
        {{"", "y4", "1.2.3.4.5.6", 0, xvtString, false}},
        {{"x5", nullptr, "1.2.3.4.5.7", 0, xvtString, false}},
    };
    for (auto b : bad) EXPECT_EQ(ZrXRegisterObject(&b.rec), 0) << (b.rec.oid ? b.rec.oid : "");

    clearExtensionFormats();
    EXPECT_TRUE(registerExtensionFormat("!cfgTestObj?string|Тестовый объект:;subjectAltName|Альтернативное имя:"));
    EXPECT_EQ(extensionFormatCount(), 2);
    EXPECT_EQ(findExtensionFormat("cfgTestObj").str(), "!cfgTestObj?string|Тестовый объект:");
    EXPECT_TRUE(registerExtensionFormat("cfgTestObj?int|Другой:"));  // replaces
    EXPECT_EQ(extensionFormatCount(), 2);
    EXPECT_EQ(findExtensionFormat("cfgTestObj").str(), "cfgTestObj?int|Другой:");
    EXPECT_FALSE(registerExtensionFormat("?int|nameless:"));
    EXPECT_TRUE(findExtensionFormat("nothing").isEmpty());
}
