// Containers on HSM tokens through the container object, as the program
// uses them: generate into "$:" + token name, load back, clean, change PIN.
#include <gtest/gtest.h>
#include <openssl/x509.h>

#include <string>
#include <vector>

#include "platform/p11/P11Storage.h"
#include "platform/p11/SoftHsmFixture.h"
#include "platform/p11/P11Support.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"

namespace {

using zrx::crypto::KeyAlgorithm;

std::vector<std::string> progress;
void onShow(void*, const char* text) { progress.push_back(std::string("show:") + text); }
void onHide(void*) { progress.push_back("hide"); }

bool failed(KResult rc) { return rc >= 0xC0000000u; }

class TokenContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(hsm.initToken("Ключи", "12345678", getCTXDef_p()));
        ASSERT_EQ(initP11Lib(), 0u);
        TCStringList tokens;
        ASSERT_EQ(listTokenDevices(tokens), 1);
        slot = tokens[0].objectAs<TCP11Slot>();
        tokenName = tokens[0].str();
        location = "$:" + tokenName;
        progress.clear();
        ZrX_SetDevPogress(onShow, onHide, nullptr);
    }
    void TearDown() override {
        ZrX_SetDevPogress(nullptr, nullptr, nullptr);
        doneP11Lib();
    }

    // Generates a signature and a key-agreement key with their requests.
    KResult generate(TZrX509Csp& csp, const char* password = getCTXDef_p()) {
        return generateAt(csp, location, password, "EC:P-256", "ECDH:P-256");
    }
    KResult generateAt(TZrX509Csp& csp, const std::string& where, const char* password, const char* signAlg,
                       const char* kaAlg) {
        csp.prepareUpdate();
        csp.setContainerName(where.c_str());
        csp.container()->setDp(password);
        csp.beginUpdate();
        X509_NAME* name = X509_NAME_new();
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Владелец"), -1,
                                   -1, 0);
        TZrXGenJob job;
        job.signAlg = KeyAlgorithm::parse(signAlg);
        job.kaAlg = KeyAlgorithm::parse(kaAlg);
        job.subject = name;
        KResult rc = csp.generate(job);
        X509_NAME_free(name);
        if (failed(rc)) return rc;
        return csp.endUpdate(false);
    }

    bool requestVerifies(const TZrX509Csp& csp, int kind) {
        std::vector<unsigned char> buf(0x4000);
        uint32_t len = static_cast<uint32_t>(buf.size());
        if (failed(csp.ZrX_GetX509Object(buf.data(), &len, kind))) return false;
        const std::string file = hsm.dir().file("req" + std::to_string(kind) + ".der");
        zrxtest::writeFile(file, std::string(reinterpret_cast<char*>(buf.data()), len));
        return zrxtest::SoftHsm::run("openssl req -verify -noout -inform DER -in " + file);
    }

    bool pinLogsIn(const char* pin) {
        TCP11Token token;
        return !failed(token.startSession(slot, false)) && !failed(token.login(pin, false));
    }

    // Private keys visible after a user login, with their attributes.
    struct KeyFlags {
        bool sensitive, extractable;
        std::string id;
    };
    std::vector<KeyFlags> privateKeys(const char* pin) {
        std::vector<KeyFlags> out;
        TCP11Token token;
        if (failed(token.startSession(slot, false)) || failed(token.login(pin, false))) return out;
        CK_OBJECT_CLASS cls = CKO_PRIVATE_KEY;
        std::vector<CK_OBJECT_HANDLE> objs;
        token.findObjects({{CKA_CLASS, &cls, sizeof cls}}, objs);
        for (CK_OBJECT_HANDLE h : objs) {
            KeyFlags f{false, true, {}};
            token.getBool(h, CKA_SENSITIVE, f.sensitive);
            token.getBool(h, CKA_EXTRACTABLE, f.extractable);
            token.getAttribute(h, CKA_ID, f.id);
            out.push_back(f);
        }
        return out;
    }

    zrxtest::SoftHsm hsm;
    TCP11Slot* slot = nullptr;
    std::string tokenName, location;
};

TEST_F(TokenContainerTest, GeneratedContainerLoadsBackFromTheToken) {
    EXPECT_EQ(ZrX_GetContainerType(location.c_str()), 36u);
    EXPECT_EQ(ZrX_IsFileContainer(location.c_str()), 0);
    EXPECT_STREQ(ZrX_CheckDefPassword(location.c_str(), 0).c_str(), getCTXDef_p());
    EXPECT_EQ(ZrX_FileExistsEx(location.c_str(), getCTXDef_p(), nullptr), 0xC0800019u);
    EXPECT_EQ(isTokenEmpty(tokenName.c_str()), 0u);

    TZrX509Csp csp;
    ASSERT_EQ(generate(csp), 0u);
    EXPECT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), "hide");

    EXPECT_EQ(isTokenEmpty(tokenName.c_str()), P11_TOKEN_HOLDS_KEYS);
    TCString storage;
    EXPECT_EQ(ZrX_FileExistsEx(location.c_str(), getCTXDef_p(), &storage), 0u);
    EXPECT_STREQ(storage.c_str(), tokenName.c_str());
    const std::vector<KeyFlags> keys = privateKeys(getCTXDef_p());
    ASSERT_EQ(keys.size(), 2u);
    for (const KeyFlags& k : keys) {
        EXPECT_TRUE(k.sensitive);
        EXPECT_FALSE(k.extractable);
    }

    initP11Lib();
    TZrX509Csp back;
    EXPECT_EQ(back.load(location.c_str(), "99999999"), 0xC0810000u | CKR_PIN_INCORRECT);
    EXPECT_EQ(back.empty(), 1);
    ASSERT_EQ(back.load(location.c_str(), getCTXDef_p()), 0u);
    EXPECT_EQ(back.empty(), 0);
    EXPECT_EQ(back.reqCount(), 2);
    EXPECT_STREQ(back.commonName().c_str(), "Владелец");
    EXPECT_TRUE(requestVerifies(back, kObjSignRequest));
    EXPECT_TRUE(requestVerifies(back, kObjKARequest));
}

TEST_F(TokenContainerTest, FirstGenerationSetsTheContainerPasswordAsPin) {
    // Before writing, the program asks with the password chosen for the
    // keys, which is not the PIN of the fresh token yet.
    EXPECT_EQ(ZrX_FileExistsEx(location.c_str(), "Владелец-2026", nullptr), 0xC0800019u);
    TZrX509Csp csp;
    ASSERT_EQ(generate(csp, "Владелец-2026"), 0u);
    TZrX509Csp back;
    EXPECT_TRUE(failed(back.load(location.c_str(), getCTXDef_p())));
    ASSERT_EQ(back.load(location.c_str(), "Владелец-2026"), 0u);
    EXPECT_EQ(back.reqCount(), 2);
    EXPECT_TRUE(requestVerifies(back, kObjSignRequest));
    // Keys are seen whatever password is given.
    EXPECT_EQ(ZrX_FileExistsEx(location.c_str(), "Владелец-2026", nullptr), 0u);
    EXPECT_EQ(ZrX_FileExistsEx(location.c_str(), "another-password", nullptr), 0u);
}

// A generation that does not end in a saved container leaves a fresh token
// as it was: no keys, the starting PIN, and a next attempt under another
// password succeeds.
TEST_F(TokenContainerTest, UnsavedGenerationLeavesTheTokenAsItWas) {
    struct Case {
        const char* what;
        const char* kaAlg;  // X25519: the token cannot generate it
        bool cancel;
    } cases[] = {
        {"failed", "X25519", false},
        {"cancelled", "ECDH:P-256", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            TZrX509Csp csp;
            csp.prepareUpdate();
            csp.setContainerName(location.c_str());
            csp.container()->setDp("Владелец-2026");
            csp.beginUpdate();
            TZrXGenJob job;
            job.signAlg = KeyAlgorithm::parse("EC:P-256");
            job.kaAlg = KeyAlgorithm::parse(c.kaAlg);
            KResult rc = csp.generate(job);
            if (c.cancel) {
                ASSERT_EQ(rc, 0u);
                ASSERT_EQ(csp.container()->ctx_NewKeysList.count() + csp.container()->ctx_ActKeysList.count(), 2);
            } else {
                EXPECT_TRUE(failed(rc));
            }
            csp.container()->cancelUpdate();
        }
        EXPECT_TRUE(pinLogsIn(getCTXDef_p()));
        EXPECT_FALSE(pinLogsIn("Владелец-2026"));
        EXPECT_EQ(isTokenEmpty(tokenName.c_str()), 0u);
        EXPECT_TRUE(privateKeys(getCTXDef_p()).empty());
    }
    TZrX509Csp csp;
    ASSERT_EQ(generate(csp, "Другой-2027"), 0u);
    TZrX509Csp back;
    ASSERT_EQ(back.load(location.c_str(), "Другой-2027"), 0u);
    EXPECT_TRUE(requestVerifies(back, kObjSignRequest));
    EXPECT_FALSE(pinLogsIn(getCTXDef_p()));
}

TEST_F(TokenContainerTest, CleanStorageRemovesOurObjectsOnly) {
    TZrX509Csp csp;
    ASSERT_EQ(generate(csp), 0u);
    {
        TCP11Token token;
        ASSERT_EQ(token.startSession(slot, true), 0u);
        ASSERT_EQ(token.login(getCTXDef_p(), false), 0u);
        CK_OBJECT_CLASS cls = CKO_DATA;
        CK_BBOOL yes = CK_TRUE, no = CK_FALSE;
        std::vector<CK_ATTRIBUTE> t = {{CKA_CLASS, &cls, sizeof cls},
                                       {CKA_TOKEN, &yes, sizeof yes},
                                       {CKA_PRIVATE, &no, sizeof no},
                                       {CKA_LABEL, const_cast<char*>("foreign"), 7}};
        CK_OBJECT_HANDLE h;
        ASSERT_EQ(token.createObject(t, h), 0u);
    }
    ASSERT_EQ(ZrX_CleanStorage(location.c_str(), getCTXDef_p()), 0u);
    EXPECT_EQ(ZrX_FileExistsEx(location.c_str(), getCTXDef_p(), nullptr), 0xC0800019u);
    EXPECT_TRUE(privateKeys(getCTXDef_p()).empty());
    TZrX509Csp back;
    EXPECT_TRUE(failed(back.load(location.c_str(), getCTXDef_p())));
    // The other program's object is still there, so the token is in use.
    EXPECT_EQ(isTokenEmpty(tokenName.c_str()), P11_TOKEN_HOLDS_KEYS);
}

TEST_F(TokenContainerTest, DevicePasswordChangeLeavesOnlyTheNewPin) {
    TZrX509Csp csp;
    ASSERT_EQ(generate(csp), 0u);
    ASSERT_EQ(csp.container()->checkChangeDevPassword(location.c_str(), "Новый-пароль1"), 0u);
    TCP11Token token;
    ASSERT_EQ(token.startSession(slot, false), 0u);
    EXPECT_TRUE(failed(token.login(getCTXDef_p(), false)));
    EXPECT_EQ(token.login("Новый-пароль1", false), 0u);
    token.closeSession();
    TZrX509Csp back;
    EXPECT_TRUE(failed(back.load(location.c_str(), getCTXDef_p())));
    ASSERT_EQ(back.load(location.c_str(), "Новый-пароль1"), 0u);
    EXPECT_EQ(back.reqCount(), 2);
}

}  // namespace

namespace {

// The container's password is the token's user PIN: changing it through the
// content changes the PIN, so that saving and loading go on with the new one;
// a cancelled update gives the token its old PIN back.
TEST_F(TokenContainerTest, PasswordChangeOfTheContentChangesThePin) {
    {
        TZrX509Csp csp;
        ASSERT_EQ(generate(csp), 0u);
    }
    TZrX509Csp csp;
    ASSERT_EQ(csp.load(location.c_str(), getCTXDef_p()), 0u);
    TCBaseUserKeysContext* ctx = csp.container();
    EXPECT_EQ(ctx->changePassword("not the PIN", "Второй-пароль", 0), zrx::container::kErrPassword);
    EXPECT_TRUE(pinLogsIn(getCTXDef_p()));

    ASSERT_EQ(ctx->changePassword(getCTXDef_p(), "Второй-пароль", 0), 0u);
    EXPECT_FALSE(pinLogsIn(getCTXDef_p()));
    EXPECT_TRUE(pinLogsIn("Второй-пароль"));
    ASSERT_EQ(ctx->save(ctx->fileName().c_str(), ctx->dp()), 0u);
    {
        TZrX509Csp back;
        EXPECT_TRUE(failed(back.load(location.c_str(), getCTXDef_p())));
        ASSERT_EQ(back.load(location.c_str(), "Второй-пароль"), 0u);
        EXPECT_EQ(back.reqCount(), 2);
        EXPECT_TRUE(requestVerifies(back, kObjSignRequest));
    }

    // Inside an update: set, then cancel.
    csp.prepareUpdate();
    csp.beginUpdate();
    ASSERT_EQ(ctx->setPassword("Третий-пароль", 0), 0u);
    EXPECT_TRUE(pinLogsIn("Третий-пароль"));
    ctx->cancelUpdate();
    EXPECT_STREQ(ctx->dp(), "Второй-пароль");
    EXPECT_FALSE(pinLogsIn("Третий-пароль"));
    EXPECT_TRUE(pinLogsIn("Второй-пароль"));
    EXPECT_TRUE(requestVerifies(csp, kObjSignRequest));
}

// A file container saved onto a token: its private keys become token keys
// (sensitive, not extractable, CKA_ID = key identifier) and leave the
// content; a key the token cannot take refuses the save and leaves nothing.
TEST_F(TokenContainerTest, FileContainerSavedOntoTheTokenImportsItsKeys) {
    const struct {
        const char* sign;
        const char* ka;
    } cases[] = {{"EC:P-384", "ECDH:P-256"}, {"RSA:2048", "ECDH:P-384"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sign) + " " + c.ka);
        const std::string file = hsm.dir().file("keys.zrx");
        TZrX509Csp csp;
        ASSERT_EQ(generateAt(csp, file, "file-password", c.sign, c.ka), 0u);
        TCStringList ids;
        csp.container()->getPrivatesKeysIDList(ids, 1);
        ASSERT_EQ(ids.count(), 2);

        ASSERT_EQ(csp.saveAs(location.c_str(), getCTXDef_p()), 0u);
        // The keys now live on the token only.
        EXPECT_TRUE(csp.container()->copyDenied());
        for (int i = 0; i < csp.container()->ctx_ActKeysList.count(); ++i)
            EXPECT_TRUE(csp.container()->ctx_ActKeysList.asPrivateKey(i)->record().pkcs8.empty());
        const std::vector<KeyFlags> keys = privateKeys(getCTXDef_p());
        ASSERT_EQ(keys.size(), 2u);
        for (const KeyFlags& k : keys) {
            EXPECT_TRUE(k.sensitive);
            EXPECT_FALSE(k.extractable);
            EXPECT_GE(ids.find(zrx::crypto::hexOf(k.id).c_str(), true), 0);
        }
        EXPECT_TRUE(requestVerifies(csp, kObjSignRequest));

        TZrX509Csp back;
        ASSERT_EQ(back.load(location.c_str(), getCTXDef_p()), 0u);
        ASSERT_EQ(back.container()->ctx_ActKeysList.count(), 2);
        for (int i = 0; i < 2; ++i)
            EXPECT_TRUE(back.container()->ctx_ActKeysList.asPrivateKey(i)->record().pkcs8.empty());
        EXPECT_TRUE(requestVerifies(back, kObjSignRequest));
        EXPECT_TRUE(requestVerifies(back, kObjKARequest));
        // A second save finds the keys there and imports nothing twice.
        ASSERT_EQ(back.container()->update(), 0u);
        EXPECT_EQ(privateKeys(getCTXDef_p()).size(), 2u);

        ASSERT_EQ(ZrX_CleanStorage(location.c_str(), getCTXDef_p()), 0u);
        ASSERT_EQ(isTokenEmpty(tokenName.c_str()), 0u);
    }

    // Ed25519 could not sign on the token, and SoftHSM2 takes no X25519
    // key: the save is refused whole, keys imported before it are removed.
    for (const auto& c : {std::pair{"Ed25519", "ECDH:P-256"}, std::pair{"EC:P-256", "X25519"}}) {
        SCOPED_TRACE(std::string(c.first) + " " + c.second);
        const std::string file = hsm.dir().file("refused.zrx");
        TZrX509Csp csp;
        ASSERT_EQ(generateAt(csp, file, "file-password", c.first, c.second), 0u);
        EXPECT_EQ(csp.saveAs(location.c_str(), getCTXDef_p()), zrx::container::kErrAlgorithm);
        EXPECT_EQ(isTokenEmpty(tokenName.c_str()), 0u);
        EXPECT_TRUE(privateKeys(getCTXDef_p()).empty());
        EXPECT_EQ(csp.container()->fileName().str(), file);
        EXPECT_FALSE(csp.container()->copyDenied());
    }
}

}  // namespace

namespace {

// A key taken out of a token container leaves the token only with the
// content that no longer names it: a cancelled update keeps both.
TEST_F(TokenContainerTest, KeyRemovalReachesTheTokenOnlyWithTheSave) {
    {
        TZrX509Csp csp;
        ASSERT_EQ(generate(csp), 0u);
    }
    TZrX509Csp csp;
    ASSERT_EQ(csp.load(location.c_str(), getCTXDef_p()), 0u);
    TCBaseUserKeysContext* ctx = csp.container();
    TCPrivateEVPKey* ka = ctx->activeKey(0x10000);
    ASSERT_NE(ka, nullptr);
    const TCASN1OctetString kaId = ka->keyID();

    csp.prepareUpdate();
    csp.beginUpdate();
    ASSERT_EQ(ctx->deleteRequest(kaId, true), 0u);
    ctx->cancelUpdate();
    EXPECT_EQ(privateKeys(getCTXDef_p()).size(), 2u);
    {
        TZrX509Csp back;
        ASSERT_EQ(back.load(location.c_str(), getCTXDef_p()), 0u);
        EXPECT_EQ(back.container()->ctx_ActKeysList.count(), 2);
    }

    csp.prepareUpdate();
    csp.beginUpdate();
    ASSERT_EQ(ctx->deleteRequest(kaId, true), 0u);
    EXPECT_EQ(privateKeys(getCTXDef_p()).size(), 2u);
    ASSERT_EQ(csp.endUpdate(false), 0u);
    EXPECT_EQ(privateKeys(getCTXDef_p()).size(), 1u);
    TZrX509Csp back;
    ASSERT_EQ(back.load(location.c_str(), getCTXDef_p()), 0u);
    EXPECT_EQ(back.container()->ctx_ActKeysList.count(), 1);
    EXPECT_EQ(back.reqCount(), 1);
    EXPECT_TRUE(requestVerifies(back, kObjSignRequest));
}

}  // namespace
