#include <gtest/gtest.h>

#include <openssl/x509.h>

#include <cstring>

#include "platform/p11/P11Storage.h"
#include "platform/core/x509/CertsChain.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/Messages.h"
#include "platform/p11/SoftHsmFixture.h"

namespace {

constexpr const char* kSoPin = "12345678";
constexpr const char* kUserPin = "87654321";

bool failed(KResult rc) { return rc >= 0xC0000000u; }

class P11Test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(hsm.initToken("Первый токен", kSoPin, kUserPin)); }
    void TearDown() override { TCP11Lib::forMedia(P11_MEDIA_HSM)->close(); }

    TCP11Slots* allSlots() {
        const int one = 1;
        EXPECT_TRUE(storage.option(P11_OPT_ALL_SLOTS, &one));
        return storage.directory();
    }
    TCP11Slot* firstToken() {
        TCP11Slots* slots = storage.directory();
        return slots && slots->count() > 0 ? slots->item(0) : nullptr;
    }

    zrxtest::SoftHsm hsm;
    TCP11ActiveToken storage;
};

TEST_F(P11Test, DirectoryListsTokensAndTheFreeSlot) {
    TCP11Slots* slots = storage.directory();
    ASSERT_NE(slots, nullptr);
    ASSERT_EQ(slots->count(), 1);  // initialised tokens only
    TCP11Slot* s = slots->item(0);
    EXPECT_STREQ(s->getLabel(), "Первый токен");  // space padding trimmed
    EXPECT_EQ(std::strlen(s->getSerial()), 16u);
    EXPECT_EQ(std::string(s->getTokenName()), std::string("SoftHSM_v2#") + s->getSerial());
    EXPECT_STREQ(s->name(), s->getTokenName());
    EXPECT_EQ(slots->findEmpty(), nullptr);
    EXPECT_EQ(slots->findByTokenName(s->getTokenName()), s);
    EXPECT_EQ(s->lib()->mediaType(), P11_MEDIA_HSM);

    slots = allSlots();
    ASSERT_EQ(slots->count(), 2);
    TCP11Slot* empty = slots->findEmpty();
    ASSERT_NE(empty, nullptr);
    EXPECT_FALSE(empty->tokenInitialized());
    EXPECT_STREQ(empty->getSerial(), "");
    EXPECT_STREQ(empty->getTokenName(), "");

    TCP11Slot opened;
    EXPECT_FALSE(failed(opened.initSlot(P11_MEDIA_HSM, s->number())));
    EXPECT_STREQ(opened.getLabel(), "Первый токен");
    EXPECT_TRUE(failed(opened.initSlot(P11_MEDIA_HSM, 0x7FFFFFF0)));
    EXPECT_TRUE(failed(opened.initSlot(5, s->number())));
}

TEST_F(P11Test, InitialiseFreeSlotLoginAndSetUserPin) {
    TCP11Slot* free = allSlots()->findEmpty();
    ASSERT_NE(free, nullptr);
    // 20 Cyrillic letters are 40 bytes: the 32-byte label keeps 16 letters.
    const char* label = "АБВГДЕЖЗИКЛМНОПРСТУФ";
    {
        TCP11Token token;
        ASSERT_EQ(token.initToken(free, kSoPin, label), 0u) << free->message();
        ASSERT_EQ(token.startSession(free, true), 0u);
        ASSERT_EQ(token.login(kSoPin, true), 0u);
        ASSERT_EQ(token.setUserPin(getCTXDef_p()), 0u);
        EXPECT_EQ(token.closeSession(), 0u);
    }
    EXPECT_FALSE(free->infoCached());
    EXPECT_STREQ(free->getLabel(), "АБВГДЕЖЗИКЛМНОПР");
    EXPECT_NE(std::string(free->getSerial()), "");
    EXPECT_TRUE(free->tokenInitialized());
    EXPECT_TRUE(free->getTokenInfo()->flags & CKF_USER_PIN_INITIALIZED);

    TCP11Token user;
    ASSERT_EQ(user.startSession(free, true), 0u);
    const KResult wrong = user.login("00000000", false);
    EXPECT_EQ(wrong, 0xC0810000u | CKR_PIN_INCORRECT);
    EXPECT_NE(std::string(free->message()).find("Неверный пароль"), std::string::npos);
    EXPECT_EQ(std::string(free->message()).find("00000000"), std::string::npos);
    ASSERT_EQ(user.login(getCTXDef_p(), false), 0u);
    ASSERT_EQ(user.changeUserPin(getCTXDef_p(), "новый-пароль"), 0u);
    user.closeSession();
    ASSERT_EQ(user.startSession(free, false), 0u);
    EXPECT_TRUE(failed(user.login(getCTXDef_p(), false)));
    EXPECT_EQ(user.login("новый-пароль", false), 0u);
}

TEST_F(P11Test, SessionsDieWithTheModuleButSlotsStay) {
    TCP11Slot* s = firstToken();
    ASSERT_NE(s, nullptr);
    TCP11Token token;
    ASSERT_EQ(token.startSession(s, false), 0u);
    TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
    EXPECT_FALSE(token.hasSession());
    EXPECT_EQ(token.login(kUserPin, false), P11_E_NO_SESSION);
    EXPECT_EQ(token.closeSession(), 0u);
    // The same slot object serves the module's next loading.
    EXPECT_EQ(firstToken(), s);
    EXPECT_STREQ(s->getLabel(), "Первый токен");
    ASSERT_EQ(token.startSession(s, false), 0u);
    EXPECT_EQ(token.login(kUserPin, false), 0u);
}

TEST_F(P11Test, SessionOperationsNeedASession) {
    TCP11Token token;
    EXPECT_EQ(token.login(kUserPin, false), P11_E_NO_SESSION);
    EXPECT_EQ(token.setUserPin(kUserPin), P11_E_NO_SESSION);
    EXPECT_EQ(token.initToken(nullptr, kSoPin, "x"), P11_E_ARGUMENT);
    EXPECT_EQ(token.closeSession(), 0u);
}

TEST_F(P11Test, EmptinessAndCertificates) {
    TCP11Slot* s = firstToken();
    ASSERT_NE(s, nullptr);
    const std::string name = s->getTokenName();
    TCString info = "stale";
    EXPECT_EQ(isTokenEmpty(name.c_str(), &info), 0u);
    EXPECT_STREQ(info.c_str(), "");
    EXPECT_EQ(isTokenEmpty("SoftHSM_v2#nosuchserial", nullptr), P11_E_NO_TOKEN);

    // A key pair written with a user login: the private key is hidden
    // without login, the public key is not.
    TCP11Token token;
    ASSERT_EQ(token.startSession(s, true), 0u);
    ASSERT_EQ(token.login(kUserPin, false), 0u);
    CK_MECHANISM mech{CKM_EC_KEY_PAIR_GEN, nullptr, 0};
    const unsigned char p256[] = {0x06, 0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07};
    const unsigned char id[] = {0xAB, 0x01};
    CK_BBOOL yes = CK_TRUE, no = CK_FALSE;
    std::vector<CK_ATTRIBUTE> pub = {{CKA_TOKEN, &yes, sizeof yes},
                                     {CKA_PRIVATE, &no, sizeof no},
                                     {CKA_EC_PARAMS, const_cast<unsigned char*>(p256), sizeof p256},
                                     {CKA_ID, const_cast<unsigned char*>(id), sizeof id}};
    std::vector<CK_ATTRIBUTE> priv = {{CKA_TOKEN, &yes, sizeof yes},
                                      {CKA_PRIVATE, &yes, sizeof yes},
                                      {CKA_SENSITIVE, &yes, sizeof yes},
                                      {CKA_SIGN, &yes, sizeof yes},
                                      {CKA_ID, const_cast<unsigned char*>(id), sizeof id}};
    CK_OBJECT_HANDLE hPub, hPriv;
    ASSERT_EQ(token.generateKeyPair(mech, pub, priv, hPub, hPriv), 0u) << s->message();
    CK_MECHANISM ecdsa{CKM_ECDSA, nullptr, 0};
    std::string sig;
    EXPECT_EQ(token.sign(hPriv, ecdsa, std::string(32, 'x'), sig), 0u);
    EXPECT_EQ(sig.size(), 64u);
    std::string value;
    EXPECT_TRUE(failed(token.getAttribute(hPriv, CKA_VALUE, value)));  // sensitive
    token.closeSession();

    EXPECT_EQ(isTokenEmpty(name.c_str(), &info), P11_TOKEN_HOLDS_KEYS);
    EXPECT_STREQ(info.c_str(), "AB01");

    // A certificate made by OpenSSL, stored as a certificate object.
    const std::string key = hsm.dir().file("k.pem"), crt = hsm.dir().file("c.der");
    ASSERT_TRUE(zrxtest::SoftHsm::run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " +
                                      key + " -subj /CN=Token -days 30 -outform DER -out " + crt));
    const std::string der = zrxtest::readFile(crt);
    ASSERT_FALSE(der.empty());
    ASSERT_EQ(token.startSession(s, true), 0u);
    ASSERT_EQ(token.login(kUserPin, false), 0u);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
    X509* x = d2i_X509(nullptr, &p, static_cast<long>(der.size()));
    ASSERT_NE(x, nullptr);
    unsigned char* subj = nullptr;
    const int subjLen = i2d_X509_NAME(X509_get_subject_name(x), &subj);
    std::string subject(reinterpret_cast<char*>(subj), subjLen);
    OPENSSL_free(subj);
    X509_free(x);
    CK_OBJECT_CLASS cls = CKO_CERTIFICATE;
    CK_CERTIFICATE_TYPE type = CKC_X_509;
    std::vector<CK_ATTRIBUTE> cert = {{CKA_CLASS, &cls, sizeof cls},
                                      {CKA_SUBJECT, subject.data(), subject.size()},
                                      {CKA_CERTIFICATE_TYPE, &type, sizeof type},
                                      {CKA_TOKEN, &yes, sizeof yes},
                                      {CKA_VALUE, const_cast<char*>(der.data()), der.size()}};
    CK_OBJECT_HANDLE hCert;
    ASSERT_EQ(token.createObject(cert, hCert), 0u) << s->message();
    token.closeSession();

    std::vector<std::string> certs;
    ASSERT_EQ(loadTokenCerts(name.c_str(), certs), 0u);
    ASSERT_EQ(certs.size(), 1u);
    EXPECT_EQ(certs[0], der);
    TCXCertsChain chain;
    ASSERT_EQ(loadTokenCerts(name.c_str(), chain), 0u);
    ASSERT_EQ(chain.count(), 1);
    ASSERT_NE(chain.getFirst(), nullptr);
    EXPECT_STREQ(chain.getFirst()->ownerName().c_str(), "Token");
    EXPECT_TRUE(failed(loadTokenCerts("SoftHSM_v2#nosuchserial", chain)));
}

TEST_F(P11Test, TokenInformationSourceReportsALockedPin) {
    TCP11Slot* s = firstToken();
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->getTokenInfo()->flags & CKF_USER_PIN_LOCKED);
    setP11TokenInfoFilter([](CK_SLOT_ID, CK_TOKEN_INFO& info) { info.flags |= CKF_USER_PIN_LOCKED; });
    EXPECT_FALSE(s->getTokenInfo()->flags & CKF_USER_PIN_LOCKED);  // still cached
    s->setInfoCached(false);
    EXPECT_TRUE(s->getTokenInfo()->flags & CKF_USER_PIN_LOCKED);
    setP11TokenInfoFilter(nullptr);
}

TEST(P11Module, MissingModuleIsAFailureWithAMessage) {
    zrxtest::SoftHsm hsm;
    TCP11Lib::setModulePath(hsm.dir().file("no-such-module.so"));
    TCP11Slot slot;
    EXPECT_EQ(slot.initSlot(P11_MEDIA_HSM, 0), P11_E_MODULE);
    EXPECT_NE(std::string(slot.message()).find("no-such-module.so"), std::string::npos);
    TCP11ActiveToken storage;
    EXPECT_EQ(storage.directory(), nullptr);
    EXPECT_EQ(isTokenEmpty("x", nullptr), P11_E_MODULE);
    TCP11Lib::setModulePath("");
}

TEST(P11Module, ConfigurationNamesTheModule) {
    zrxtest::SoftHsm hsm;
    const std::string other = hsm.dir().file("other-module.so");
    ASSERT_TRUE(registerCFGMacro("pkcs11Module", other.c_str()));
    EXPECT_EQ(TCP11Lib::modulePath(), other);
    TCP11Slot slot;
    EXPECT_EQ(slot.initSlot(P11_MEDIA_HSM, 0), P11_E_MODULE);
    registerCFGMacro("pkcs11Module", "");
    EXPECT_NE(TCP11Lib::modulePath(), other);
}

TEST_F(P11Test, CodesHaveMessageTexts) {
    ASSERT_NE(firstToken(), nullptr);  // the module is open: its texts are registered
    EXPECT_NE(KRTL_GetTextMessage(0xC0810000u | CKR_PIN_INCORRECT).str().find("Неверный пароль"), std::string::npos);
    EXPECT_NE(KRTL_GetTextMessage(P11_E_NO_TOKEN).str().find("HSM-токен не найден"), std::string::npos);
}

TEST(P11Text, PaddingAndTrimming) {
    unsigned char field[8];
    p11Pad(field, sizeof field, "ЖЖЖЖЖ");  // 10 bytes: cut to 4 letters
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field), 8), "ЖЖЖЖ");
    p11Pad(field, sizeof field, "abcdefgЖ");  // a letter split at the end is dropped
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field), 8), "abcdefg ");
    p11Pad(field, sizeof field, nullptr);
    EXPECT_EQ(p11Text(field, sizeof field), "");
    const unsigned char padded[] = {' ', 'a', ' ', 'b', ' ', ' '};
    EXPECT_EQ(p11Text(padded, sizeof padded), "a b");
}

}  // namespace
