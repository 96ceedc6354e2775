#pragma once
// PKCS#11 storage library: tokens and slots of a PKCS#11 module that is
// loaded at run time (SoftHSM2 unless another module is configured).
//
// Slot objects belong to their module and live as long as the process, so
// device lists may carry plain TCP11Slot pointers.
#include <p11-kit/pkcs11.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

class TCXCertsChain;

// Result codes of this library. PKCS#11 return values travel as
// 0xC0810000 | rv (facility 0x081).
constexpr KResult P11_TOKEN_HOLDS_KEYS = 0x80C00001;  // warning: objects on the token
constexpr uint32_t P11_FACILITY = 0x081;
constexpr KResult P11_E_MODULE = 0xC0818001;      // module cannot be loaded or started
constexpr KResult P11_E_NO_SLOT = 0xC0818002;     // no such slot
constexpr KResult P11_E_NO_TOKEN = 0xC0818003;    // no initialised token of that name
constexpr KResult P11_E_NO_SESSION = 0xC0818004;  // operation needs an open session
constexpr KResult P11_E_ARGUMENT = 0xC0818005;    // missing or unusable argument
constexpr KResult P11_E_MEDIA = 0xC0818006;       // no PKCS#11 module for that media type
constexpr KResult P11_E_SIZE = 0xC0818007;        // value larger than the token allows

// The result code of a PKCS#11 return value (0 for CKR_OK).
KResult p11Result(CK_RV rv);
// Text of one of this library's codes (empty for other codes).
const char* p11ResultText(KResult code);
// Gives the runtime's message texts the codes of facility 0x081 (done when
// a module is opened; idempotent).
void registerP11Messages();

// Media types: the HSM module, and the active storage (the default module).
constexpr int P11_MEDIA_ACTIVE = 0;
constexpr int P11_MEDIA_HSM = 36;

// Option of TCP11TokenStorage: value non-zero lists every slot with a token
// present, also tokens not initialised yet (otherwise only initialised ones).
constexpr int P11_OPT_ALL_SLOTS = 18;

class TCP11Slot;

// One loaded PKCS#11 module.
class TCP11Lib {
public:
    // The module for a media type (0 and 36: the HSM module), null for others.
    static TCP11Lib* forMedia(int mediaType);
    // Path of the module file. Set before the module is opened; empty goes
    // back to the default: the configuration macro "pkcs11Module", else
    // $ZRX_PKCS11_MODULE, else SoftHSM2's module.
    static void setModulePath(const std::string& path);
    static std::string modulePath();

    // Loads and initialises the module; idempotent.
    KResult open();
    // Finds the module file without loading it (its start costs more than
    // most of what the program does before a device is used): a failure
    // when there is none. Every use of a device opens the module itself.
    KResult prepare();
    // Finalises and unloads the module. Slot objects stay valid (their
    // cached information is dropped); sessions opened before are dead.
    void close();
    // Counts the openings of the module; a session belongs to one.
    uint64_t generation() const { return generation_; }
    bool isOpen() const { return fn_ != nullptr; }

    int mediaType() const { return mediaType_; }
    const std::string& path() const { return path_; }
    CK_FUNCTION_LIST* fn() const { return fn_; }
    // Message text of the last failure of open().
    const std::string& message() const { return message_; }

    // Slot identifiers (token present), opening the module when needed.
    KResult slotIds(std::vector<CK_SLOT_ID>& ids);
    // The module's slot object for an identifier (made once, kept for the
    // life of the process).
    TCP11Slot* slotObject(CK_SLOT_ID id);

private:
    explicit TCP11Lib(int mediaType) : mediaType_(mediaType) {}
    int mediaType_;
    std::string path_;
    std::string message_;
    void* handle_ = nullptr;
    CK_FUNCTION_LIST* fn_ = nullptr;
    uint64_t generation_ = 0;
    std::map<CK_SLOT_ID, std::unique_ptr<TCP11Slot>> slots_;
};

// Token information seen by the program may pass through a filter, which
// stands in for states a module cannot be put in on purpose (a locked PIN).
using TP11TokenInfoFilter = std::function<void(CK_SLOT_ID, CK_TOKEN_INFO&)>;
void setP11TokenInfoFilter(TP11TokenInfoFilter filter);

// One slot of a module.
class TCP11Slot {
public:
    TCP11Slot() = default;
    TCP11Slot(TCP11Lib* lib, CK_SLOT_ID id) : lib_(lib), id_(id) {}

    // Opens a slot by media type and slot number and reads its token
    // information. Below 0xC0000000 when the slot could be opened.
    KResult initSlot(int mediaType, uint32_t slotNumber);

    uint32_t number() const { return static_cast<uint32_t>(id_); }
    CK_SLOT_ID id() const { return id_; }
    TCP11Lib* lib() const { return lib_; }

    // Token information; read from the module when not cached. Null when it
    // cannot be read (message() says why).
    const CK_TOKEN_INFO* getTokenInfo();
    // The cached-information mark; clearing it makes getTokenInfo read again.
    bool infoCached() const { return cached_; }
    void setInfoCached(bool cached) { cached_ = cached && hasInfo_; }

    // Trimmed texts of the token information ("" when unknown).
    const char* getLabel();
    const char* getSerial();
    // The name by which containers address the token ("$:" + name): the
    // token's model and serial number, unique for initialised tokens.
    const char* getTokenName();
    // Name text of the slot in device lists: the token name for an
    // initialised token, else "slot <number>".
    const char* name();

    bool tokenInitialized();
    // The message text of the last failure on this slot.
    const char* message() const { return message_.c_str(); }
    void setMessage(const std::string& text) { message_ = text; }
    // Records a failure: the message text and the result code.
    KResult fail(KResult code, const char* what);

private:
    void refresh();
    TCP11Lib* lib_ = nullptr;
    CK_SLOT_ID id_ = 0;
    CK_TOKEN_INFO info_{};
    bool hasInfo_ = false;
    bool cached_ = false;
    std::string label_, serial_, tokenName_, name_, message_;
};

// The slots of a storage; the slot objects belong to their module.
class TCP11Slots {
public:
    int count() const { return static_cast<int>(items_.size()); }
    TCP11Slot* item(int i) const { return i >= 0 && i < count() ? items_[i] : nullptr; }
    // A slot whose token is not initialised, or null.
    TCP11Slot* findEmpty() const;
    // The slot of an initialised token by its token name, or null.
    TCP11Slot* findByTokenName(const char* tokenName) const;
    void add(TCP11Slot* s) { items_.push_back(s); }
    void clear() { items_.clear(); }

private:
    std::vector<TCP11Slot*> items_;
};

class TCP11TokenStorage {
public:
    explicit TCP11TokenStorage(int mediaType) : mediaType_(mediaType) {}
    virtual ~TCP11TokenStorage() = default;
    // Storage options; answers false for an unknown option.
    virtual bool option(int id, const void* value);
    // The slots, read again at each call (their cached information is
    // marked stale). Null when the module cannot be used.
    TCP11Slots* directory();
    int mediaType() const { return mediaType_; }
    const std::string& message() const { return message_; }

protected:
    int mediaType_;
    bool allSlots_ = false;
    TCP11Slots slots_;
    std::string message_;
};

// The active storage (media type 0: the configured module).
class TCP11ActiveToken : public TCP11TokenStorage {
public:
    explicit TCP11ActiveToken(int mediaType = P11_MEDIA_ACTIVE) : TCP11TokenStorage(mediaType) {}
};

// A session on a token. Closing is automatic when the object goes away.
class TCP11Token {
public:
    TCP11Token() = default;
    ~TCP11Token();
    TCP11Token(const TCP11Token&) = delete;
    TCP11Token& operator=(const TCP11Token&) = delete;

    // Initialises the slot's token with the administrator password and a
    // label (cut to the token's 32 bytes on a character boundary).
    KResult initToken(TCP11Slot* slot, const char* soPin, const char* label);
    KResult startSession(TCP11Slot* slot, bool readWrite);
    // Logs in as administrator (admin true) or as user.
    KResult login(const char* pin, bool admin);
    // Sets the user PIN: as administrator C_InitPIN.
    KResult setUserPin(const char* pin);
    // Changes the user PIN of a user session (old and new PIN).
    KResult changeUserPin(const char* oldPin, const char* newPin);
    KResult closeSession();

    // An open session of the module as it is loaded now.
    bool hasSession() const {
        return session_ != CK_INVALID_HANDLE && slot_ && slot_->lib() && slot_->lib()->isOpen() &&
               slot_->lib()->generation() == generation_;
    }
    CK_SESSION_HANDLE handle() const { return session_; }
    TCP11Slot* slot() const { return slot_; }
    CK_FUNCTION_LIST* fn() const { return slot_ && slot_->lib() ? slot_->lib()->fn() : nullptr; }

    // Object helpers of an open session.
    KResult findObjects(const std::vector<CK_ATTRIBUTE>& tmpl, std::vector<CK_OBJECT_HANDLE>& out);
    // One attribute's value (bytes); a missing or sensitive attribute fails.
    KResult getAttribute(CK_OBJECT_HANDLE obj, CK_ATTRIBUTE_TYPE type, std::string& value);
    KResult getBool(CK_OBJECT_HANDLE obj, CK_ATTRIBUTE_TYPE type, bool& value);
    KResult createObject(std::vector<CK_ATTRIBUTE>& tmpl, CK_OBJECT_HANDLE& out);
    KResult destroyObject(CK_OBJECT_HANDLE obj);
    KResult setAttribute(CK_OBJECT_HANDLE obj, CK_ATTRIBUTE_TYPE type, const std::string& value);
    KResult generateKeyPair(CK_MECHANISM& mech, std::vector<CK_ATTRIBUTE>& pubTmpl, std::vector<CK_ATTRIBUTE>& privTmpl,
                            CK_OBJECT_HANDLE& pub, CK_OBJECT_HANDLE& priv);
    KResult sign(CK_OBJECT_HANDLE key, CK_MECHANISM& mech, const std::string& data, std::string& signature);

private:
    KResult check(CK_RV rv, const char* what);
    TCP11Slot* slot_ = nullptr;
    CK_SESSION_HANDLE session_ = CK_INVALID_HANDLE;
    uint64_t generation_ = 0;
    bool loggedIn_ = false;
};

// Finds the slot of an initialised token by token name (the HSM module).
KResult findTokenSlot(const char* tokenName, TCP11Slot** slot);

// 0 for a token without objects, P11_TOKEN_HOLDS_KEYS when objects are
// visible without login (public keys, certificates, data objects); then
// info, when given, gets the key identifiers found (hex, comma separated).
// A failure code otherwise.
KResult isTokenEmpty(const char* tokenName, TCString* info = nullptr);

// The DER of every X.509 certificate object on the token (no login needed).
KResult loadTokenCerts(const char* tokenName, std::vector<std::string>& certs);
// The same into a chain (added to what it holds); a certificate that does
// not decode is skipped.
KResult loadTokenCerts(const char* tokenName, TCXCertsChain& chain);

// Trimmed copy of a space-padded PKCS#11 text field.
std::string p11Text(const unsigned char* field, size_t size);
// Copies text into a space-padded field, cut on a UTF-8 character boundary.
void p11Pad(unsigned char* field, size_t size, const char* text);

// The starting user password of a freshly initialised token; the first key
// generation on the token replaces it.
const char* getCTXDef_p();
