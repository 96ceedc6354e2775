// The signed update list: verification with the test's publisher table and
// the extra certificate, and the reading of the list into entries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/config/CfgMacros.h"
#include "platform/core/x509/XmlSigner.h"
#include "platform/runtime/Log.h"
#include "support/SignedXml.h"
#include "support/TempDir.h"
#include "update/UpdateList.h"
#include "update/UpdateFixtures.h"

namespace {

using updfx::derBase64;
using updfx::signerTableUses;
using updfx::testSigners;

std::vector<std::pair<uint32_t, std::string>>& records() {
    static std::vector<std::pair<uint32_t, std::string>> r;
    return r;
}
int capture(uint32_t code, const char* text) {
    records().emplace_back(code, text ? text : "");
    return 0;
}

}  // namespace

namespace {

const std::string kList =
    "<autoupdate xmlns=\"\" href=\"http://srv/$APPL$\">"
    "<files>"
    "<prog dest=\"$APPLDATA$/bin\" mode=\"copy\" revision=\"version\" exit=\"yes\" description=\"Программа\">"
    "<app.bin version=\"2.1\" revision=\"02010000\" hesh=\"" +
    std::string(64, 'a') +
    "\"/>"
    "<other.bin revision=\"1\"/>"
    "</prog>"
    "<cfg type=\"XML\" mode=\"RUN\" href=\"http://cfg/$APPL$\"><mod.xml revision=\"FFFFFFFF\" "
    "description=\"Модуль\"/></cfg>"
    "</files>"
    "<applications><ListApp files=\" app.bin , mod.xml\"/></applications>"
    "</autoupdate>";

class UpdateListTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new zrxtest::TempDir;
        publisher_ = zrxtest::makePublisher(dir_->str(), "publisher");
        stranger_ = zrxtest::makePublisher(dir_->str(), "stranger", true);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        testSigners().clear();
        testSigners().add(derBase64(publisher_.cert));
        signerTableUses() = 0;
        records().clear();
        prev_ = csSetKV_HLogOutFunc(capture);
        registerCFGMacro("APPL", "");
        registerCFGMacro("APPLDATA", "");
        registerCFGMacro("DATA", "");
    }
    void TearDown() override {
        csSetKV_HLogOutFunc(prev_);
        std::filesystem::remove(allUsers() + "/zoren/ZrX509Updates.ini");
        std::filesystem::remove(allUsers() + "/zoren/ext.crt");
        registerCFGMacro("APPL", "");
        registerCFGMacro("APPLDATA", "");
        registerCFGMacro("DATA", "");
    }
    static std::string allUsers() { return getAllUsersFolder().str(); }
    bool logged(const std::string& part) const {
        for (const auto& r : records())
            if (r.second.find(part) != std::string::npos) return true;
        return false;
    }
    std::string signedList(const zrxtest::Publisher& p, const std::string& payload, const std::string& name) {
        const std::string path = dir_->file(name);
        EXPECT_FALSE(zrxtest::writeSigned(p, payload, path).empty());
        return path;
    }
    static zrxtest::TempDir* dir_;
    static zrxtest::Publisher publisher_, stranger_;
    KV_HLogOutFunc prev_ = nullptr;
};

zrxtest::TempDir* UpdateListTest::dir_ = nullptr;
zrxtest::Publisher UpdateListTest::publisher_, UpdateListTest::stranger_;

TEST_F(UpdateListTest, AGoodListBecomesEntries) {
    const std::string path = signedList(publisher_, kList, "good.sxml");
    TCUpdateFilesList list("ListApp");
    ASSERT_EQ(verifyAndRead(list, path.c_str()), 0u);
    EXPECT_EQ(list.listFile, path);
    EXPECT_EQ(list.rootHref, "http://srv/ListApp");
    ASSERT_EQ(list.count(), 2);
    const TCUPFileInfo* app = list.at(0);
    EXPECT_EQ(*app, "app.bin");
    EXPECT_EQ(app->owner, &list);
    EXPECT_EQ(app->dest, getCFGMacroValue("APPLDATA") + "/bin");
    EXPECT_EQ(app->href, "http://srv/ListApp");
    EXPECT_EQ(app->action, UPF_ACTION_COPY);
    EXPECT_EQ(app->kind, UPF_KIND_FILE);
    EXPECT_EQ(app->revisionKind, UPF_REVISION_VERSION);
    EXPECT_TRUE(app->fileFlags.isSet(UPF_EXIT));
    EXPECT_EQ(app->revision, 0x02010000u);
    EXPECT_EQ(app->version, "2.1");
    EXPECT_EQ(app->description, "Программа app.bin");
    EXPECT_EQ(app->hash[0], 0xAA);
    EXPECT_EQ(app->hash[31], 0xAA);
    const TCUPFileInfo* mod = list.at(1);
    EXPECT_EQ(*mod, "mod.xml");
    EXPECT_EQ(mod->kind, UPF_KIND_XML);
    EXPECT_EQ(mod->action, UPF_ACTION_RUN);
    EXPECT_EQ(mod->href, "http://cfg/$APPL$");  // a group's href is taken as written
    EXPECT_EQ(mod->revision, 0xFFFFFFFFu);
    EXPECT_EQ(mod->description, "Модуль");
    EXPECT_EQ(list.root()->getStringAttr("href"), "http://srv/$APPL$");
}

TEST_F(UpdateListTest, TamperedOrForeignListsAreRefused) {
    const std::string good = zrxtest::readFile(signedList(publisher_, kList, "base.sxml"));
    std::string changed = good, wrapped = good, doctype = good;
    ASSERT_TRUE(zrxtest::replaceOnce(changed, "revision=\"02010000\"", "revision=\"7FFFFFFF\""));
    ASSERT_TRUE(zrxtest::replaceOnce(wrapped, "</Signature>", "<Object Id=\"x\">" + kList + "</Object></Signature>"));
    ASSERT_TRUE(zrxtest::replaceOnce(doctype, "<Signature ", "<!DOCTYPE Signature [<!ENTITY e \"x\">]><Signature "));
    TZrX509 strangerCert;
    ASSERT_TRUE(strangerCert.loadFromFile(stranger_.cert.c_str()));
    const std::string strangerId = strangerCert.getKeyID().toHex().str();
    struct Case {
        const char* name;
        std::string text;
        KResult code;
        std::string reason;  // what the record says of it besides the list's path
    };
    const Case cases[] = {
        {"attribute changed", changed, XMLSIG_E_INVALID, ". Подпись документа XML не верна: "},
        {"unknown key identifier", zrxtest::readFile(signedList(stranger_, kList, "stranger.sxml")), 0xC080002Au,
         ". Нет доверенного сертификата подписчика с идентификатором ключа " + strangerId},
        {"second object", wrapped, XMLSIG_E_FORM,
         ". Недопустимая форма подписанного документа XML: подпись содержит лишние элементы или несколько объектов"},
        {"DOCTYPE", doctype, XML_E_DTD, ": описания DOCTYPE и сущностей не допускаются"},
    };
    for (const Case& c : cases) {
        records().clear();
        const std::string path = dir_->file("case.sxml");
        zrxtest::writeFile(path, c.text);
        TCUpdateFilesList list("ListApp");
        EXPECT_EQ(verifyAndRead(list, path.c_str()), c.code) << c.name;
        EXPECT_EQ(list.count(), 0) << c.name;
        EXPECT_EQ(list.root(), nullptr) << c.name;
        ASSERT_EQ(records().size(), 1u) << c.name;
        EXPECT_EQ(records()[0].first, c.code) << c.name;
        EXPECT_EQ(records()[0].second.rfind("Загрузка и проверка реестра обновлений \"" + path + "\"", 0), 0u)
            << c.name;
        EXPECT_TRUE(logged(c.reason)) << c.name;
        EXPECT_FALSE(logged("Получен пустой объект")) << c.name;
    }
    // The shipped placeholder certificates name no key of this test: the
    // signer is reported as untrusted, with its key identifier.
    testSigners().clear();
    const char* const placeholders[] = {
#include "update/signers/publisher-certificates.inc"
    };
    for (const char* p : placeholders) testSigners().add(p);
    records().clear();
    TCUpdateFilesList byPlaceholders("ListApp");
    const std::string foreign = signedList(stranger_, kList, "foreign.sxml");
    EXPECT_EQ(verifyAndRead(byPlaceholders, foreign.c_str()), 0xC080002Au);
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].first, 0xC080002Au);
    EXPECT_NE(records()[0].second.find("Нет доверенного сертификата подписчика с идентификатором ключа " + strangerId),
              std::string::npos)
        << records()[0].second;
    testSigners().clear();
    testSigners().add(derBase64(publisher_.cert));
    // A verified object without autoupdate.
    records().clear();
    const std::string none = signedList(publisher_, "<other xmlns=\"\"/>", "none.sxml");
    TCUpdateFilesList list("ListApp");
    EXPECT_EQ(verifyAndRead(list, none.c_str()), 0xC0800005u);
    EXPECT_TRUE(logged("отсутствует требуемый объект 'autoupdate'"));
}

TEST_F(UpdateListTest, TheExtraCertificateComesFirst) {
    const std::string ext = allUsers() + "/zoren/ext.crt";
    std::filesystem::create_directories(allUsers() + "/zoren");
    std::filesystem::copy_file(stranger_.cert, ext, std::filesystem::copy_options::overwrite_existing);
    zrxtest::writeFile(allUsers() + "/zoren/ZrX509Updates.ini", "[ListApp]\nextCert=ext.crt\n");
    chmod(ext.c_str(), 0644);
    chmod((allUsers() + "/zoren/ZrX509Updates.ini").c_str(), 0644);

    // Signed by the extra certificate: the built-in table is not consulted.
    const std::string byExtra = signedList(stranger_, kList, "extra.sxml");
    {
        TCUpdateFilesList list("ListApp");
        list.settings.read();
        ASSERT_TRUE(list.loadExtCert());
        ASSERT_NE(list.extCert(), nullptr);
        EXPECT_EQ(verifyAndRead(list, byExtra.c_str()), 0u);
        EXPECT_EQ(signerTableUses(), 0);
    }
    // Signed by a built-in publisher: the extra certificate does not match, the table decides.
    const std::string byBuiltIn = signedList(publisher_, kList, "builtin.sxml");
    {
        TCUpdateFilesList list("ListApp");
        list.settings.read();
        ASSERT_TRUE(list.loadExtCert());
        EXPECT_EQ(verifyAndRead(list, byBuiltIn.c_str()), 0u);
        EXPECT_EQ(signerTableUses(), 1);
    }
    // An unreadable extra certificate is reported and only the table counts.
    zrxtest::writeFile(ext, "not a certificate");
    chmod(ext.c_str(), 0644);
    {
        TCUpdateFilesList list("ListApp");
        list.settings.read();
        records().clear();
        EXPECT_FALSE(list.loadExtCert());
        EXPECT_EQ(list.extCert(), nullptr);
        ASSERT_FALSE(records().empty());
        EXPECT_EQ(records()[0].first, 0xC0800002u);
        EXPECT_EQ(verifyAndRead(list, byExtra.c_str()), 0xC080002Au);
    }
}

TEST_F(UpdateListTest, BuiltInTableOrderAndBrokenEntries) {
    TZrX509 out;
    TZrX509 cert;
    ASSERT_TRUE(cert.loadFromFile(publisher_.cert.c_str()));
    testSigners().clear();
    testSigners().add("%%% not base64");
    testSigners().add(derBase64(stranger_.cert));
    testSigners().add(derBase64(publisher_.cert));
    EXPECT_EQ(builtInSigner(out, nullptr, cert.getKeyID()), 0u);
    EXPECT_EQ(out.getKeyID(), cert.getKeyID());
    TCASN1OctetString unknown("\x01\x02", 2);
    EXPECT_EQ(builtInSigner(out, nullptr, unknown), 0xC080002Au);
    testSigners().add("AAAA");  // the last one is unusable: its code is the answer
    EXPECT_EQ(builtInSigner(out, nullptr, unknown), 0xC0800049u);
}

// readList over lists set directly (the signature is the tests above').
struct ReadCase {
    const char* name;
    const char* app;
    std::string list;
    std::vector<std::string> names;  // entries in list order
    KResult code = 0;
    const char* logged = nullptr;
};

TEST_F(UpdateListTest, ReadListCases) {
    const ReadCase cases[] = {
        {"no applications element",
         "A",
         "<autoupdate href=\"h\"><files><g><f1/></g></files></autoupdate>",
         {},
         0,
         "Отсутствует секция 'applications' в файле 'list.sxml'!"},
        {"no application entry",
         "A",
         "<autoupdate><files><g><f1/></g></files><applications><B files=\"f1\"/></applications></autoupdate>",
         {},
         0,
         "Отсутствует секция 'A' в файле 'list.sxml'!"},
        {"empty files attribute",
         "A",
         "<autoupdate><files><g><f1/></g></files><applications><A files=\"\"/></applications></autoupdate>",
         {},
         0,
         "Отсутствует атрибут 'files' в секции 'A' файла 'list.sxml'!"},
        {"blanks around the comma",
         "A",
         "<autoupdate><files><g><f1/><f2/><f3/></g></files><applications><A files=\"f1 , f3\"/></applications>"
         "</autoupdate>",
         {"f1", "f3"}},
        {"no filter without a name",
         "",
         "<autoupdate><files><g><f1/></g><h><f2/></h></files></autoupdate>",
         {"f1", "f2"}},
        {"two exclusive entries in two groups",
         "A",
         "<autoupdate><files><g exclusive=\"1\"><x1/></g><n><p/></n><h exclusive=\"yes\"><x2/></h></files>"
         "<applications><A files=\"x1,p,x2\"/></applications></autoupdate>",
         {"x2", "x1", "p"}},
        {"no files section", "A", "<autoupdate/>", {}, 0xC0800049u, "Отсутствует секция 'files' в файле 'list.sxml'!"},
        {"undefined macro in the root href",
         "",
         "<autoupdate href=\"$NOPE$/x\"><files/></autoupdate>",
         {},
         0xC0800049u,
         "Ошибка замены макроподстановок в строке  '$NOPE$/x'!"},
        {"undefined macro in a dest",
         "",
         "<autoupdate><files><g dest=\"$NOPE$/bin\"><f1/></g><h dest=\"/opt/x\"><f2/></h></files></autoupdate>",
         {"f2"},
         0,
         "Ошибка замены макроподстановок в строке  '$NOPE$/bin'!"},
        {"relative dest",
         "",
         "<autoupdate><files><g dest=\"bin\"><f1/></g></files></autoupdate>",
         {},
         0,
         "не является полным путем"},
    };
    for (const ReadCase& c : cases) {
        records().clear();
        TCXMLNodeParser p(true);
        p.setMacroMode(0);
        ASSERT_EQ(p.loadText(c.list.data(), c.list.size()), 0u) << c.name;
        TCUpdateFilesList list(c.app);
        list.setRoot(p.detachRoot());
        EXPECT_EQ(list.readList("list.sxml"), c.code) << c.name;
        std::vector<std::string> got;
        for (int i = 0; i < list.count(); ++i) got.push_back(list.at(i)->str());
        EXPECT_EQ(got, c.names) << c.name;
        if (c.logged) {
            EXPECT_TRUE(logged(c.logged)) << c.name;
        }
    }
}

TEST_F(UpdateListTest, GroupAttributesAndDefaults) {
    const std::string text =
        "<autoupdate href=\"http://root/dir\"><files>"
        "<g mode=\"RUN\" description=\"Группа\"><nohesh/></g>"
        "<h><plain description=\"Свое\" hesh=\"0102\"/></h>"
        "</files></autoupdate>";
    TCXMLNodeParser p(true);
    p.setMacroMode(0);
    ASSERT_EQ(p.loadText(text.data(), text.size()), 0u);
    TCUpdateFilesList list;
    list.setRoot(p.detachRoot());
    ASSERT_EQ(list.readList("l"), 0u);
    ASSERT_EQ(list.count(), 2);
    const TCUPFileInfo* a = list.at(0);
    EXPECT_EQ(a->action, UPF_ACTION_RUN);
    EXPECT_EQ(a->href, "http://root/dir");
    EXPECT_EQ(a->description, "Группа nohesh");
    EXPECT_FALSE(a->fileFlags.isSet(UPF_EXCLUSIVE));
    const uint8_t zero[32] = {};
    EXPECT_EQ(std::memcmp(a->hash, zero, 32), 0);  // "0": a zeroed buffer
    const TCUPFileInfo* b = list.at(1);
    EXPECT_EQ(b->action, UPF_ACTION_NONE);  // no mode
    EXPECT_EQ(b->description, "Свое");
    EXPECT_EQ(b->hash[0], 1);
    EXPECT_EQ(b->hash[1], 2);
    EXPECT_EQ(b->hash[2], 0);
}

}  // namespace
