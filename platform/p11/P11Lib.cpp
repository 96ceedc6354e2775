// Loading of the PKCS#11 module, result codes and slot information.
#include "platform/p11/P11Storage.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Translation.h"

namespace {

std::string& configuredPath() {
    static std::string path;
    return path;
}

TP11TokenInfoFilter& infoFilter() {
    static TP11TokenInfoFilter filter;
    return filter;
}

// Where distributions put SoftHSM2's module.
const char* const kSoftHsmPaths[] = {
    "/usr/lib/softhsm/libsofthsm2.so",
    "/usr/lib/x86_64-linux-gnu/softhsm/libsofthsm2.so",
    "/usr/lib/aarch64-linux-gnu/softhsm/libsofthsm2.so",
    "/usr/lib64/pkcs11/libsofthsm2.so",
    "/usr/lib/pkcs11/libsofthsm2.so",
    "/usr/local/lib/softhsm/libsofthsm2.so",
};

struct RvText {
    CK_RV rv;
    const char* text;
};

const RvText kRvTexts[] = {
    {CKR_CANCEL, "Операция отменена"},
    {CKR_HOST_MEMORY, "Недостаточно памяти"},
    {CKR_SLOT_ID_INVALID, "Неверный номер слота"},
    {CKR_GENERAL_ERROR, "Общая ошибка модуля PKCS#11"},
    {CKR_FUNCTION_FAILED, "Операция токена не выполнена"},
    {CKR_ARGUMENTS_BAD, "Неверные аргументы операции токена"},
    {CKR_ATTRIBUTE_SENSITIVE, "Атрибут объекта токена защищён"},
    {CKR_ATTRIBUTE_TYPE_INVALID, "Неизвестный атрибут объекта токена"},
    {CKR_ATTRIBUTE_VALUE_INVALID, "Неверное значение атрибута объекта токена"},
    {CKR_DATA_LEN_RANGE, "Недопустимая длина данных"},
    {CKR_DEVICE_ERROR, "Ошибка устройства"},
    {CKR_DEVICE_MEMORY, "Недостаточно памяти токена"},
    {CKR_DEVICE_REMOVED, "Токен извлечён"},
    {CKR_KEY_HANDLE_INVALID, "Ключ на токене не найден"},
    {CKR_KEY_TYPE_INCONSISTENT, "Тип ключа не подходит для операции"},
    {CKR_MECHANISM_INVALID, "Механизм не поддерживается токеном"},
    {CKR_MECHANISM_PARAM_INVALID, "Неверные параметры механизма"},
    {CKR_OBJECT_HANDLE_INVALID, "Объект токена не найден"},
    {CKR_OPERATION_ACTIVE, "Операция токена уже выполняется"},
    {CKR_PIN_INCORRECT, "Неверный пароль (PIN-код)"},
    {CKR_PIN_INVALID, "Недопустимые символы в пароле (PIN-коде)"},
    {CKR_PIN_LEN_RANGE, "Недопустимая длина пароля (PIN-кода)"},
    {CKR_PIN_EXPIRED, "Срок действия пароля (PIN-кода) истёк"},
    {CKR_PIN_LOCKED, "Пароль (PIN-код) заблокирован"},
    {CKR_SESSION_CLOSED, "Сеанс работы с токеном закрыт"},
    {CKR_SESSION_HANDLE_INVALID, "Неверный сеанс работы с токеном"},
    {CKR_SESSION_READ_ONLY, "Сеанс работы с токеном только для чтения"},
    {CKR_SESSION_EXISTS, "Токен занят открытыми сеансами"},
    {CKR_TEMPLATE_INCOMPLETE, "Неполный шаблон объекта токена"},
    {CKR_TEMPLATE_INCONSISTENT, "Противоречивый шаблон объекта токена"},
    {CKR_TOKEN_NOT_PRESENT, "Токен отсутствует"},
    {CKR_TOKEN_NOT_RECOGNIZED, "Токен не распознан"},
    {CKR_TOKEN_WRITE_PROTECTED, "Токен защищён от записи"},
    {CKR_USER_ALREADY_LOGGED_IN, "Вход на токен уже выполнен"},
    {CKR_USER_NOT_LOGGED_IN, "Вход на токен не выполнен"},
    {CKR_USER_PIN_NOT_INITIALIZED, "Пароль пользователя токена не задан"},
    {CKR_USER_TYPE_INVALID, "Неверный тип пользователя токена"},
    {CKR_USER_ANOTHER_ALREADY_LOGGED_IN, "На токен вошёл другой пользователь"},
    {CKR_BUFFER_TOO_SMALL, "Недостаточный размер буфера"},
    {CKR_CRYPTOKI_NOT_INITIALIZED, "Модуль PKCS#11 не инициализирован"},
    {CKR_FUNCTION_NOT_SUPPORTED, "Операция не поддерживается токеном"},
};

}  // namespace

KResult p11Result(CK_RV rv) {
    if (rv == CKR_OK) return 0;
    return 0xC0810000u | static_cast<KResult>(rv & 0xFFFF);
}

const char* p11ResultText(KResult code) {
    switch (code) {
    case P11_TOKEN_HOLDS_KEYS: return "Токен содержит ключи";
    case P11_E_MODULE: return "Модуль PKCS#11 не загружен";
    case P11_E_NO_SLOT: return "Слот PKCS#11 не найден";
    case P11_E_NO_TOKEN: return "HSM-токен не найден";
    case P11_E_NO_SESSION: return "Сеанс работы с токеном не открыт";
    case P11_E_ARGUMENT: return "Неверный аргумент операции токена";
    case P11_E_MEDIA: return "Нет модуля PKCS#11 для этого типа носителя";
    case P11_E_SIZE: return "Значение превышает допустимый размер";
    default: break;
    }
    if ((code & 0xFFFF0000u) != 0xC0810000u) return "";
    const CK_RV rv = code & 0xFFFF;
    for (const RvText& t : kRvTexts)
        if (t.rv == rv) return t.text;
    thread_local char buf[64];
    std::snprintf(buf, sizeof buf, zrnTranslateString("Ошибка PKCS#11 0x%lX").c_str(), static_cast<unsigned long>(rv));
    return buf;
}

std::string p11Text(const unsigned char* field, size_t size) {
    size_t end = size;
    while (end > 0 && (field[end - 1] == ' ' || field[end - 1] == '\0')) --end;
    size_t begin = 0;
    while (begin < end && field[begin] == ' ') ++begin;
    return std::string(reinterpret_cast<const char*>(field) + begin, end - begin);
}

void p11Pad(unsigned char* field, size_t size, const char* text) {
    std::memset(field, ' ', size);
    if (!text) return;
    // Never leave half of a UTF-8 character at the end.
    std::memcpy(field, text, zrx_utf8::cutBytes(text, size));
}

void registerP11Messages() {
    static std::once_flag once;
    std::call_once(once, [] {
        KRTL_AddFacilityMessages(
            P11_FACILITY, [](uint32_t code) { return zrnTranslateString(p11ResultText(code)); }, "P11", "PKCS#11");
    });
}

void setP11TokenInfoFilter(TP11TokenInfoFilter filter) { infoFilter() = std::move(filter); }

// ---- TCP11Lib ----

TCP11Lib* TCP11Lib::forMedia(int mediaType) {
    if (mediaType != P11_MEDIA_ACTIVE && mediaType != P11_MEDIA_HSM) return nullptr;
    // Never destroyed: slot objects and sessions may outlive static
    // destruction order at exit.
    static TCP11Lib* hsm = new TCP11Lib(P11_MEDIA_HSM);
    return hsm;
}

void TCP11Lib::setModulePath(const std::string& path) { configuredPath() = path; }

std::string TCP11Lib::modulePath() {
    if (!configuredPath().empty()) return configuredPath();
    if (const TCString macro = getCFGMacroValue("pkcs11Module"); !macro.isEmpty()) return macro.str();
    if (const char* env = std::getenv("ZRX_PKCS11_MODULE"); env && *env) return env;
    for (const char* p : kSoftHsmPaths)
        if (access(p, R_OK) == 0) return p;
    return kSoftHsmPaths[0];
}

KResult TCP11Lib::open() {
    if (fn_) return 0;
    registerP11Messages();
    path_ = modulePath();
    handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* err = dlerror();
        message_ = zrnTranslateString("Модуль PKCS#11 не загружен: ").str() + (err ? err : path_);
        return P11_E_MODULE;
    }
    auto getList = reinterpret_cast<CK_C_GetFunctionList>(dlsym(handle_, "C_GetFunctionList"));
    CK_FUNCTION_LIST* list = nullptr;
    if (!getList || getList(&list) != CKR_OK || !list) {
        message_ = zrnTranslateString("Модуль PKCS#11 не отдаёт список функций: ").str() + path_;
        dlclose(handle_);
        handle_ = nullptr;
        return P11_E_MODULE;
    }
    CK_C_INITIALIZE_ARGS args{};
    args.flags = CKF_OS_LOCKING_OK;
    const CK_RV rv = list->C_Initialize(&args);
    if (rv != CKR_OK && rv != CKR_CRYPTOKI_ALREADY_INITIALIZED) {
        message_ = zrnTranslateString("Модуль PKCS#11 не инициализирован: ").str() +
                   zrnTranslateString(p11ResultText(p11Result(rv))).str();
        dlclose(handle_);
        handle_ = nullptr;
        return p11Result(rv);
    }
    fn_ = list;
    ++generation_;
    message_.clear();
    return 0;
}

KResult TCP11Lib::prepare() {
    if (fn_) return 0;
    registerP11Messages();
    path_ = modulePath();
    if (access(path_.c_str(), R_OK) == 0) return 0;
    message_ = zrnTranslateString("Модуль PKCS#11 не загружен: ").str() + path_;
    return P11_E_MODULE;
}

void TCP11Lib::close() {
    // Slot objects stay (pointers to them remain valid); what they cached
    // is stale once the module is gone.
    for (auto& s : slots_) s.second->setInfoCached(false);
    if (fn_) fn_->C_Finalize(nullptr);
    fn_ = nullptr;
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

KResult TCP11Lib::slotIds(std::vector<CK_SLOT_ID>& ids) {
    ids.clear();
    if (KResult rc = open(); rc >= 0xC0000000u) return rc;
    CK_ULONG n = 0;
    CK_RV rv = fn_->C_GetSlotList(CK_TRUE, nullptr, &n);
    if (rv != CKR_OK) return p11Result(rv);
    // The list may grow between the two calls (a token was initialised).
    for (int attempt = 0; attempt < 4; ++attempt) {
        ids.resize(n);
        rv = fn_->C_GetSlotList(CK_TRUE, ids.data(), &n);
        if (rv == CKR_OK) {
            ids.resize(n);
            return 0;
        }
        if (rv != CKR_BUFFER_TOO_SMALL) break;
    }
    ids.clear();
    return p11Result(rv);
}

TCP11Slot* TCP11Lib::slotObject(CK_SLOT_ID id) {
    auto& s = slots_[id];
    if (!s) s = std::make_unique<TCP11Slot>(this, id);
    return s.get();
}

// ---- TCP11Slot ----

KResult TCP11Slot::fail(KResult code, const char* what) {
    message_ = what ? zrnTranslateString(what).str() : "";
    const char* text = p11ResultText(code);
    if (*text) {
        if (!message_.empty()) message_ += ": ";
        message_ += zrnTranslateString(text).str();
    }
    return code;
}

KResult TCP11Slot::initSlot(int mediaType, uint32_t slotNumber) {
    TCP11Lib* lib = TCP11Lib::forMedia(mediaType);
    if (!lib) return fail(P11_E_MEDIA, "Открытие слота");
    if (KResult rc = lib->open(); rc >= 0xC0000000u) {
        message_ = lib->message();
        return rc;
    }
    std::vector<CK_SLOT_ID> ids;
    if (KResult rc = lib->slotIds(ids); rc >= 0xC0000000u) return fail(rc, "Список слотов");
    bool found = false;
    for (CK_SLOT_ID id : ids) found = found || id == slotNumber;
    if (!found) return fail(P11_E_NO_SLOT, "Открытие слота");
    lib_ = lib;
    id_ = slotNumber;
    cached_ = false;
    message_.clear();
    if (!getTokenInfo()) return fail(P11_E_NO_SLOT, "Открытие слота");
    return 0;
}

const CK_TOKEN_INFO* TCP11Slot::getTokenInfo() {
    if (cached_) return &info_;
    refresh();
    return hasInfo_ ? &info_ : nullptr;
}

void TCP11Slot::refresh() {
    hasInfo_ = false;
    cached_ = false;
    label_.clear();
    serial_.clear();
    tokenName_.clear();
    name_.clear();
    if (!lib_ || !lib_->fn()) {
        message_ = zrnTranslateString("Модуль PKCS#11 не загружен").str();
        return;
    }
    CK_TOKEN_INFO info{};
    const CK_RV rv = lib_->fn()->C_GetTokenInfo(id_, &info);
    if (rv != CKR_OK) {
        fail(p11Result(rv), "Чтение информации токена");
        return;
    }
    if (infoFilter()) infoFilter()(id_, info);
    info_ = info;
    hasInfo_ = true;
    cached_ = true;
    label_ = p11Text(info_.label, sizeof info_.label);
    serial_ = p11Text(info_.serialNumber, sizeof info_.serialNumber);
    if ((info_.flags & CKF_TOKEN_INITIALIZED) && !serial_.empty()) {
        std::string model = p11Text(info_.model, sizeof info_.model);
        for (char& c : model)
            if (c == ' ' || c == ':') c = '_';
        tokenName_ = model.empty() ? serial_ : model + "#" + serial_;
    }
}

const char* TCP11Slot::getLabel() {
    getTokenInfo();
    return label_.c_str();
}

const char* TCP11Slot::getSerial() {
    getTokenInfo();
    return serial_.c_str();
}

const char* TCP11Slot::getTokenName() {
    getTokenInfo();
    return tokenName_.c_str();
}

const char* TCP11Slot::name() {
    getTokenInfo();
    name_ = !tokenName_.empty() ? tokenName_ : "slot " + std::to_string(static_cast<unsigned long>(id_));
    return name_.c_str();
}

bool TCP11Slot::tokenInitialized() {
    const CK_TOKEN_INFO* info = getTokenInfo();
    return info && (info->flags & CKF_TOKEN_INITIALIZED);
}

// ---- TCP11Slots / storage ----

TCP11Slot* TCP11Slots::findEmpty() const {
    for (TCP11Slot* s : items_)
        if (s->getTokenInfo() && !s->tokenInitialized()) return s;
    return nullptr;
}

TCP11Slot* TCP11Slots::findByTokenName(const char* tokenName) const {
    if (!tokenName || !*tokenName) return nullptr;
    for (TCP11Slot* s : items_)
        if (s->tokenInitialized() && std::strcmp(s->getTokenName(), tokenName) == 0) return s;
    return nullptr;
}

bool TCP11TokenStorage::option(int id, const void* value) {
    if (id == P11_OPT_ALL_SLOTS) {
        allSlots_ = value && *static_cast<const int*>(value) != 0;
        return true;
    }
    return false;
}

TCP11Slots* TCP11TokenStorage::directory() {
    slots_.clear();
    TCP11Lib* lib = TCP11Lib::forMedia(mediaType_);
    if (!lib) {
        message_ = p11ResultText(P11_E_MEDIA);
        return nullptr;
    }
    if (lib->open() >= 0xC0000000u) {
        message_ = lib->message();
        return nullptr;
    }
    std::vector<CK_SLOT_ID> ids;
    if (KResult rc = lib->slotIds(ids); rc >= 0xC0000000u) {
        message_ = p11ResultText(rc);
        return nullptr;
    }
    for (CK_SLOT_ID id : ids) {
        TCP11Slot* s = lib->slotObject(id);
        s->setInfoCached(false);
        if (!s->getTokenInfo()) continue;
        if (allSlots_ || s->tokenInitialized()) slots_.add(s);
    }
    message_.clear();
    return &slots_;
}

KResult findTokenSlot(const char* tokenName, TCP11Slot** slot) {
    *slot = nullptr;
    if (!tokenName || !*tokenName) return P11_E_ARGUMENT;
    TCP11ActiveToken storage(P11_MEDIA_HSM);
    TCP11Slots* slots = storage.directory();
    if (!slots) return TCP11Lib::forMedia(P11_MEDIA_HSM)->isOpen() ? P11_E_NO_SLOT : P11_E_MODULE;
    *slot = slots->findByTokenName(tokenName);
    return *slot ? 0 : P11_E_NO_TOKEN;
}

const char* getCTXDef_p() { return "40719385"; }
