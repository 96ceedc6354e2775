#pragma once
// What the location, prompt and token-list tests share: a device medium of
// the tests' own ('#', media type 35) whose devices, keys and failures the
// case decides, scripted answers to the program's windows, SoftHSM2 tokens
// for the whole process, and clean-up of the windows' stored state.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/MessageView.h"
#include "platform/core/container/ContainerCodes.h"
#include "platform/core/container/KeyStorage.h"
#include "platform/framework/Forms.h"
#include "platform/framework/TRegistry.h"
#include "platform/p11/P11Storage.h"
#include "platform/p11/SoftHsmFixture.h"
#include "platform/runtime/Messages.h"

namespace zrxtest {

// The tests' device medium. Locations are "#:<device>".
struct TestMedium {
    static constexpr char kPrefix = '#';
    static constexpr uint32_t kMediaType = 35;
    static inline std::vector<std::string> devices;                   // names the device list gives
    static inline int listResult = 0;                                 // negative: the listing fails with it
    static inline KResult findResult = zrx::container::kErrNotFound;  // keys found (0), none, or a failure
    static inline std::vector<std::string> cleaned;                   // locations cleaned, in order

    static void reset() {
        devices.clear();
        listResult = 0;
        findResult = zrx::container::kErrNotFound;
        cleaned.clear();
    }

    class Storage : public zrx::TCKeyStorage {
    public:
        explicit Storage(std::string location) : location_(std::move(location)) {}
        bool isFile() const override { return false; }
        uint32_t mediaType() const override { return kMediaType; }
        const std::string& location() const override { return location_; }
        bool exists() const override { return findResult == 0; }
        KResult load(const char*, zrx::container::ContainerImage&) override { return zrx::container::kErrNoFile; }
        KResult save(const char*, const zrx::container::ContainerImage&) override { return zrx::container::kErrIo; }
        KResult findKeys(const char*, uint32_t, std::string*) override { return findResult; }
        KResult clean(const char*, uint32_t) override {
            cleaned.push_back(location_);
            return 0;
        }

    private:
        std::string location_;
    };

    static void install() {
        zrx::MediaInfo m;
        m.prefix = kPrefix;
        m.mediaType = kMediaType;
        m.name = "Тестовый носитель";
        m.factory = [](const std::string& location) -> std::unique_ptr<zrx::TCKeyStorage> {
            return std::make_unique<Storage>(location);
        };
        m.listDevices = [](std::vector<std::string>& out) {
            if (listResult < 0) return listResult;
            out = devices;
            return int(devices.size());
        };
        zrx::registerKeyStorage(m);
    }
};

// Answers the program's windows: each window goes to the script, which
// answers the modal result (0: keep what the window holds). Message texts
// are recorded.
class ScriptedWindows {
public:
    using Script = std::function<int(TObject* window)>;
    explicit ScriptedWindows(Script script = nullptr) : script_(std::move(script)) {
        // The libraries' error boxes come through the program's message window.
        previousBox_ = kvdSetShowMessageFunc(runtimeMessageHook);
        previous_ = SetModalHook([this](TObject* w) -> int {
            if (auto* m = dynamic_cast<TMessageViewForm*>(w)) messages.push_back(m->message());
            ++windows;
            if (script_) return script_(w);
            return int(mrOk);
        });
    }
    ~ScriptedWindows() {
        SetModalHook(previous_);
        kvdSetShowMessageFunc(previousBox_);
    }
    void setScript(Script script) { script_ = std::move(script); }
    // True when a recorded message contains the text.
    bool shown(const std::string& part) const {
        for (const std::string& m : messages)
            if (m.find(part) != std::string::npos) return true;
        return false;
    }

    std::vector<std::string> messages;
    int windows = 0;

private:
    Script script_;
    TModalHook previous_;
    KVD_ShowMessageFunc previousBox_ = nullptr;
};

// Removes the stored state of the windows under Software\Zoren.
inline void forgetStoredState(std::initializer_list<const char*> keys) {
    TRegistry reg;
    for (const char* k : keys) reg.DeleteKey(std::string("Software\\Zoren\\") + k);
}

// SoftHSM2 reads its configuration when the module first starts: one token
// folder serves the whole test process.
class HsmEnvironment : public ::testing::Environment {
public:
    void SetUp() override { hsm = std::make_unique<SoftHsm>(); }
    void TearDown() override {
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
        hsm.reset();
    }
    static inline std::unique_ptr<SoftHsm> hsm;

    // A new initialised token with that label; its slot, or null. The module
    // is started again so that it sees the token.
    static TCP11Slot* newToken(const std::string& label, const char* soPin, const char* userPin) {
        if (!hsm->initToken(label, soPin, userPin)) return nullptr;
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
        return findToken(label);
    }
    static TCP11Slot* findToken(const std::string& label) {
        TCP11ActiveToken storage(P11_MEDIA_HSM);
        TCP11Slots* slots = storage.directory();
        if (!slots) return nullptr;
        for (int i = 0; i < slots->count(); ++i)
            if (slots->item(i)->tokenInitialized() && label == slots->item(i)->getLabel()) return slots->item(i);
        return nullptr;
    }
    // Generates an EC P-256 signature key pair on the token (user login).
    static bool putSignatureKeys(TCP11Slot* slot, const char* userPin) {
        TCP11Token t;
        if (isFailure(t.startSession(slot, true)) || isFailure(t.login(userPin, false))) return false;
        CK_MECHANISM mech{CKM_EC_KEY_PAIR_GEN, nullptr, 0};
        unsigned char p256[] = {0x06, 0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03, 0x01, 0x07};
        CK_BBOOL yes = CK_TRUE;
        std::vector<CK_ATTRIBUTE> pub = {
            {CKA_EC_PARAMS, p256, sizeof p256}, {CKA_VERIFY, &yes, sizeof yes}, {CKA_TOKEN, &yes, sizeof yes}};
        std::vector<CK_ATTRIBUTE> priv = {{CKA_SIGN, &yes, sizeof yes},
                                          {CKA_TOKEN, &yes, sizeof yes},
                                          {CKA_PRIVATE, &yes, sizeof yes},
                                          {CKA_SENSITIVE, &yes, sizeof yes}};
        CK_OBJECT_HANDLE hp = 0, hk = 0;
        return !isFailure(t.generateKeyPair(mech, pub, priv, hp, hk));
    }
};

}  // namespace zrxtest
