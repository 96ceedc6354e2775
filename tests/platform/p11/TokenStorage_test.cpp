#include "platform/p11/TokenStorage.h"

#include <gtest/gtest.h>
#include <openssl/x509.h>

#include <string>

#include "platform/p11/SoftHsmFixture.h"

namespace {

using namespace zrx;
using namespace zrx::container;

constexpr const char* kSoPin = "12345678";

bool failed(KResult rc) { return rc >= 0xC0000000u; }

class TokenStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(hsm.initToken("Контейнер", kSoPin, getCTXDef_p()));
        TCP11ActiveToken storage;
        TCP11Slots* slots = storage.directory();
        ASSERT_TRUE(slots && slots->count() == 1);
        slot = slots->item(0);
        location = std::string("$:") + slot->getTokenName();
        registerTokenKeyStorage();
        std::unique_ptr<TCKeyStorage> s;
        ASSERT_EQ(openKeyStorage(location, s), 0u);
        ASSERT_FALSE(s->isFile());
        EXPECT_EQ(s->mediaType(), 36u);
        store.reset(static_cast<TCTokenKeyStorage*>(s.release()));
    }
    void TearDown() override {
        store.reset();
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
    }

    // A PKCS#10 request for the key, signed on the token, checked by openssl.
    bool requestVerifies(const KeyRecord& rec, std::string* der = nullptr, const char* pin = getCTXDef_p()) {
        crypto::PkeyPtr signer = store->signingKey(rec, pin);
        crypto::PkeyPtr pub = crypto::publicKeyFromDer(rec.publicKey);
        if (!signer || !pub) return false;
        X509_NAME* name = X509_NAME_new();
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Токен"), -1, -1,
                                   0);
        std::string req;
        const KResult rc = crypto::makeRequest(pub.get(), signer.get(), name, nullptr, "", req);
        X509_NAME_free(name);
        if (failed(rc)) return false;
        if (der) *der = req;
        const std::string file = hsm.dir().file("req.der");
        zrxtest::writeFile(file, req);
        return zrxtest::SoftHsm::run("openssl req -verify -noout -inform DER -in " + file);
    }

    // Attributes of the private key with this identifier (user login).
    void privateKeyFlags(const std::string& id, bool& sensitive, bool& extractable, bool& found) {
        TCP11Token token;
        found = false;
        ASSERT_EQ(token.startSession(slot, false), 0u);
        ASSERT_EQ(token.login(getCTXDef_p(), false), 0u);
        CK_OBJECT_CLASS cls = CKO_PRIVATE_KEY;
        std::vector<CK_OBJECT_HANDLE> objs;
        ASSERT_EQ(
            token.findObjects({{CKA_CLASS, &cls, sizeof cls}, {CKA_ID, const_cast<char*>(id.data()), id.size()}}, objs),
            0u);
        if (objs.size() != 1) return;
        found = true;
        ASSERT_EQ(token.getBool(objs[0], CKA_SENSITIVE, sensitive), 0u);
        ASSERT_EQ(token.getBool(objs[0], CKA_EXTRACTABLE, extractable), 0u);
    }

    zrxtest::SoftHsm hsm;
    TCP11Slot* slot = nullptr;
    std::string location;
    std::unique_ptr<TCTokenKeyStorage> store;
};

TEST_F(TokenStorageTest, KeysAreGeneratedOnTheTokenAndSignRequests) {
    const struct {
        const char* algorithm;
        uint32_t purpose;
    } cases[] = {{"EC:P-256", 0x20000}, {"EC:P-384", 0x20000}, {"RSA:2048", 0x20000}, {"ECDH:P-256", 0x10000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.algorithm);
        KeyRecord rec;
        ASSERT_EQ(store->generateKey(crypto::KeyAlgorithm::parse(c.algorithm), getCTXDef_p(), rec), 0u)
            << store->message();
        EXPECT_EQ(rec.purpose, c.purpose);
        EXPECT_TRUE(rec.pkcs8.empty());
        EXPECT_EQ(rec.id, crypto::keyIdOfSpki(rec.publicKey));
        EXPECT_EQ(rec.id.size(), 20u);
        bool sensitive = false, extractable = true, found = false;
        privateKeyFlags(rec.id, sensitive, extractable, found);
        ASSERT_TRUE(found);
        EXPECT_TRUE(sensitive);
        EXPECT_FALSE(extractable);
        if (c.purpose == 0x20000) {
            EXPECT_TRUE(requestVerifies(rec));
        }
    }
    // Ed25519 keys could not sign through the token here: refused up front.
    KeyRecord ed;
    EXPECT_EQ(store->generateKey(crypto::KeyAlgorithm::parse("Ed25519"), getCTXDef_p(), ed), kErrAlgorithm);
    // Once a content is saved, a wrong PIN is a clear failure, and nothing
    // is generated.
    ASSERT_EQ(store->save(getCTXDef_p(), ContainerImage{}), 0u) << store->message();
    KeyRecord bad;
    EXPECT_EQ(store->generateKey(crypto::KeyAlgorithm::parse("EC:P-256"), "11111111", bad),
              0xC0810000u | CKR_PIN_INCORRECT);
    EXPECT_EQ(store->message().find("11111111"), std::string::npos);
}

TEST_F(TokenStorageTest, ContentSavesAndLoadsBackAndMarksTheToken) {
    EXPECT_FALSE(store->exists());
    EXPECT_EQ(isTokenEmpty(store->tokenName().c_str(), nullptr), 0u);
    ContainerImage image;
    EXPECT_EQ(store->load(getCTXDef_p(), image), kErrNoFile);

    KeyRecord sign, ka;
    ASSERT_EQ(store->generateKey(crypto::KeyAlgorithm::parse("EC:P-256"), getCTXDef_p(), sign), 0u);
    ASSERT_EQ(store->generateKey(crypto::KeyAlgorithm::parse("ECDH:P-256"), getCTXDef_p(), ka), 0u);
    std::string req;
    ASSERT_TRUE(requestVerifies(sign, &req));
    image.meta.name = "Контейнер 1";
    image.meta.owner = "Иванов";
    image.meta.updateTime = 4102444800LL;
    image.keys = {sign, ka};
    image.requests.push_back({sign.id, 0x20000, 0, 3, req, ""});
    // A certificate made by OpenSSL stands in for an issued one.
    const std::string key = hsm.dir().file("k.pem"), crt = hsm.dir().file("c.der");
    ASSERT_TRUE(zrxtest::SoftHsm::run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " +
                                      key + " -subj /CN=Issued -days 30 -outform DER -out " + crt));
    image.certs.push_back({kCertOwn, 0, zrxtest::readFile(crt)});
    ASSERT_EQ(store->save(getCTXDef_p(), image), 0u) << store->message();
    // Saving twice keeps one copy of everything.
    ASSERT_EQ(store->save(getCTXDef_p(), image), 0u);

    EXPECT_TRUE(store->exists());
    TCString info;
    EXPECT_EQ(isTokenEmpty(store->tokenName().c_str(), &info), P11_TOKEN_HOLDS_KEYS);
    EXPECT_GE(info.pos(crypto::hexOf(sign.id).c_str()), 0);
    std::vector<std::string> certs;
    ASSERT_EQ(loadTokenCerts(store->tokenName().c_str(), certs), 0u);
    ASSERT_EQ(certs.size(), 1u);
    EXPECT_EQ(certs[0], image.certs[0].der);

    ContainerImage back;
    EXPECT_EQ(store->load("00000000", back), 0xC0810000u | CKR_PIN_INCORRECT);
    ASSERT_EQ(store->load(getCTXDef_p(), back), 0u);
    EXPECT_EQ(back.meta.name, "Контейнер 1");
    EXPECT_EQ(back.meta.owner, "Иванов");
    EXPECT_EQ(back.meta.mediaType, 36u);
    EXPECT_EQ(back.meta.location, location);
    EXPECT_EQ(back.meta.updateTime, 4102444800LL);
    ASSERT_EQ(back.keys.size(), 2u);
    EXPECT_EQ(back.keys[0].id, sign.id);
    EXPECT_EQ(back.keys[0].publicKey, sign.publicKey);
    EXPECT_EQ(back.keys[0].handle, sign.handle);
    EXPECT_TRUE(back.keys[0].pkcs8.empty());
    EXPECT_EQ(back.keys[1].purpose, 0x10000u);
    ASSERT_EQ(back.requests.size(), 1u);
    EXPECT_EQ(back.requests[0].der, req);
    ASSERT_EQ(back.certs.size(), 1u);
    EXPECT_EQ(back.certs[0].der, image.certs[0].der);
    // The loaded key still signs through the token.
    EXPECT_TRUE(requestVerifies(back.keys[0]));

    std::string storage;
    EXPECT_EQ(store->findKeys(getCTXDef_p(), 0x20000, &storage), 0u);
    EXPECT_EQ(storage, store->tokenName());
    EXPECT_EQ(store->findKeys("", 0x10000, nullptr), 0u);
}

TEST_F(TokenStorageTest, CleanRemovesOnlyOurObjects) {
    KeyRecord sign, ka;
    ASSERT_EQ(store->generateKey(crypto::KeyAlgorithm::parse("EC:P-256"), getCTXDef_p(), sign), 0u);
    ASSERT_EQ(store->generateKey(crypto::KeyAlgorithm::parse("ECDH:P-256"), getCTXDef_p(), ka), 0u);
    ContainerImage image;
    image.meta.name = "c";
    image.keys = {sign, ka};
    image.requests.push_back({ka.id, 0x10000, 0, 3, "req", ""});
    ASSERT_EQ(store->save(getCTXDef_p(), image), 0u);

    // Someone else's object on the same token.
    {
        TCP11Token token;
        ASSERT_EQ(token.startSession(slot, true), 0u);
        ASSERT_EQ(token.login(getCTXDef_p(), false), 0u);
        CK_OBJECT_CLASS cls = CKO_DATA;
        CK_BBOOL yes = CK_TRUE;
        const char label[] = "other";
        std::vector<CK_ATTRIBUTE> t = {{CKA_CLASS, &cls, sizeof cls},
                                       {CKA_TOKEN, &yes, sizeof yes},
                                       {CKA_LABEL, const_cast<char*>(label), 5},
                                       {CKA_VALUE, const_cast<char*>(label), 5}};
        CK_OBJECT_HANDLE h;
        ASSERT_EQ(token.createObject(t, h), 0u);
    }

    // Key-agreement keys only: the signature key and its content stay.
    ASSERT_EQ(store->clean(getCTXDef_p(), 0x10000), 0u);
    EXPECT_EQ(store->findKeys(getCTXDef_p(), 0x10000, nullptr), kErrNotFound);
    EXPECT_EQ(store->findKeys(getCTXDef_p(), 0x20000, nullptr), 0u);
    ContainerImage back;
    ASSERT_EQ(store->load(getCTXDef_p(), back), 0u);
    ASSERT_EQ(back.keys.size(), 1u);
    EXPECT_EQ(back.keys[0].id, sign.id);
    EXPECT_TRUE(back.requests.empty());

    ASSERT_EQ(store->clean(getCTXDef_p(), 0x30000), 0u);
    EXPECT_FALSE(store->exists());
    EXPECT_EQ(store->load(getCTXDef_p(), back), kErrNoFile);
    TCP11Token token;
    ASSERT_EQ(token.startSession(slot, false), 0u);
    ASSERT_EQ(token.login(getCTXDef_p(), false), 0u);
    std::vector<CK_OBJECT_HANDLE> all;
    ASSERT_EQ(token.findObjects({}, all), 0u);
    ASSERT_EQ(all.size(), 1u);  // only the other program's object
    std::string label;
    ASSERT_EQ(token.getAttribute(all[0], CKA_LABEL, label), 0u);
    EXPECT_EQ(label, "other");
}

TEST_F(TokenStorageTest, FirstSavedContentReplacesTheStartingPin) {
    ContainerImage image;
    // Reading never changes a PIN.
    EXPECT_EQ(store->load("Пароль-1", image), 0xC0810000u | CKR_PIN_INCORRECT);
    // Keys generated and used before anything is saved leave the PIN alone.
    KeyRecord rec;
    ASSERT_EQ(store->generateKey(crypto::KeyAlgorithm::parse("EC:P-256"), "Пароль-1", rec), 0u) << store->message();
    EXPECT_TRUE(requestVerifies(rec, nullptr, "Пароль-1"));
    auto logsIn = [&](const char* pin) {
        TCP11Token token;
        return token.startSession(slot, false) == 0u && token.login(pin, false) == 0u;
    };
    EXPECT_TRUE(logsIn(getCTXDef_p()));
    EXPECT_FALSE(logsIn("Пароль-1"));
    image.keys.push_back(rec);
    ASSERT_EQ(store->save("Пароль-1", image), 0u) << store->message();
    EXPECT_FALSE(logsIn(getCTXDef_p()));
    EXPECT_TRUE(logsIn("Пароль-1"));
    // The token is no longer fresh: another password is simply wrong.
    KeyRecord other;
    EXPECT_EQ(store->generateKey(crypto::KeyAlgorithm::parse("EC:P-256"), "Пароль-2", other),
              0xC0810000u | CKR_PIN_INCORRECT);
    EXPECT_TRUE(requestVerifies(rec, nullptr, "Пароль-1"));
}

TEST_F(TokenStorageTest, DevicePasswordChangeReplacesTheUserPin) {
    EXPECT_TRUE(failed(store->changeDevicePassword("wrong-pin", "новый пароль")));
    ASSERT_EQ(store->changeDevicePassword(getCTXDef_p(), "новый пароль"), 0u);
    TCP11Token token;
    ASSERT_EQ(token.startSession(slot, false), 0u);
    EXPECT_TRUE(failed(token.login(getCTXDef_p(), false)));
    EXPECT_EQ(token.login("новый пароль", false), 0u);
}

TEST(TokenStorageLocation, UnknownTokenIsNoDevice) {
    zrxtest::SoftHsm hsm;
    ASSERT_TRUE(hsm.initToken("a", kSoPin, getCTXDef_p()));
    TCTokenKeyStorage store("$:SoftHSM_v2#0000000000000000");
    ContainerImage image;
    EXPECT_EQ(store.load(getCTXDef_p(), image), kErrNoDevice);
    EXPECT_FALSE(store.exists());
    TCTokenKeyStorage noName("$:");
    EXPECT_EQ(noName.load(getCTXDef_p(), image), kErrInvalidArg);
    TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
}

}  // namespace
