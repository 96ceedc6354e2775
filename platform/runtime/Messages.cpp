#include "platform/runtime/Messages.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/runtime/Translation.h"

namespace {

struct Facility {
    KRTL_FacilityTextFunc provider = nullptr;
    TCString shortName, caption;
};

std::mutex g_lock;
std::map<uint32_t, Facility>& facilities() {
    static std::map<uint32_t, Facility> f;
    return f;
}
TCString& lastMessage() {
    static TCString m;
    return m;
}

std::atomic<KVD_ShowMessageFunc> g_show{nullptr};

uint32_t facilityNumber(uint32_t f) { return f > 0xFFF ? (f >> 16) & 0xFFF : f; }

// The runtime's own texts.
const char* runtimeText(uint32_t code) {
    switch (code) {
    case 0: return "Операция выполнена успешно";
    case KR_E_FAIL: return "Ошибка выполнения операции";
    case KR_E_WRITE: return "Ошибка записи в файл";
    case KR_E_SAVE: return "Ошибка сохранения данных";
    case KR_E_INVALIDARG: return "Неверный или отсутствующий параметр";
    case KR_E_NOTFOUND: return "Требуемый объект не найден";
    case KR_E_ENCODE: return "Ошибка кодирования данных";
    case KR_E_DECODE: return "Ошибка декодирования данных";
    case KR_E_DIGEST: return "Значение хеш-функции не совпадает";
    case KR_E_NOMEMORY: return "Недостаточно памяти";
    case KR_E_NOKEYS: return "Ключи не найдены";
    case KR_E_CANCELLED: return "Операция отменена пользователем";
    case KR_E_IO: return "Ошибка ввода-вывода";
    case KR_E_EMPTY: return "Получен пустой объект";
    case KR_E_CHAIN: return "Цепочка сертификатов нарушена";
    case KR_E_BADPARAM: return "Ошибка загрузки параметра";
    case KR_E_NOTSUPPORTED: return "Операция не поддерживается";
    case KR_E_FORMAT: return "Неверный формат данных";
    case 0xC08000B0u: return "Недопустимая форма подписанного документа XML";
    case 0xC08000B1u: return "Подпись документа XML не верна";
    case 0xC08000B2u: return "Ошибка библиотеки проверки подписи XML";
    case KR_W_STARTKEYS: return "Стартовые ключи";
    case KR_W_ABSENT: return "Объект отсутствует";
    default: return nullptr;
    }
}

TCString textOf(uint32_t code) {
    KRTL_FacilityTextFunc provider = nullptr;
    {
        std::lock_guard<std::mutex> g(g_lock);
        auto it = facilities().find(facilityOf(code));
        if (it != facilities().end()) provider = it->second.provider;
    }
    if (provider) return provider(code);
    if (const char* t = runtimeText(code)) return zrnTranslateString(t);
    if (facilityOf(code) == KFAC_SYSTEM && (code & 0xC0000000u) == 0xC0000000u) {
        return rtlTextError(-static_cast<int>(code & 0xFFFFFu));
    }
    return TCString::format(zrnTranslateString("Код ошибки 0x%08X").c_str(), code);
}

int show(bool isError, const TCString& text) {
    KRTL_SetLastMessage(text.c_str());
    if (const KVD_ShowMessageFunc fn = g_show.load()) return fn(text.c_str(), isError ? 1 : 0);
    std::fprintf(stderr, "%s\n", text.c_str());
    return 0;
}

}  // namespace

void KRTL_AddFacilityMessages(uint32_t facility, KRTL_FacilityTextFunc provider, const char* shortName,
                              const char* caption) {
    std::lock_guard<std::mutex> g(g_lock);
    Facility& f = facilities()[facilityNumber(facility)];
    f.provider = provider;
    f.shortName = shortName;
    f.caption = caption;
}

void KRTL_RemoveFacilityMessages(uint32_t facility) {
    std::lock_guard<std::mutex> g(g_lock);
    facilities().erase(facilityNumber(facility));
}

TCString KRTL_FacilityName(uint32_t facility) {
    std::lock_guard<std::mutex> g(g_lock);
    auto it = facilities().find(facilityNumber(facility));
    return it == facilities().end() ? TCString() : it->second.shortName;
}

TCString KRTL_FacilityCaption(uint32_t facility) {
    std::lock_guard<std::mutex> g(g_lock);
    auto it = facilities().find(facilityNumber(facility));
    return it == facilities().end() ? TCString() : it->second.caption;
}

TCString KRTL_GetTextMessage(uint32_t code) {
    TCString t = textOf(code);
    KRTL_SetLastMessage(t.c_str());
    return t;
}

TCString kvdMessageByCode(uint32_t code) { return KRTL_GetTextMessage(code); }

TCString KRTL_lastMesage() {
    std::lock_guard<std::mutex> g(g_lock);
    return lastMessage();
}

void KRTL_SetLastMessage(const char* text) {
    std::lock_guard<std::mutex> g(g_lock);
    lastMessage() = text;
}

void KRTL_SetLastMessageFmt(const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    const TCString t = TCString::vformat(zrnTranslateString(fmt).c_str(), a);
    va_end(a);
    KRTL_SetLastMessage(t.c_str());
}

TCString rtlTextError(int negErr) {
    const int e = negErr < 0 ? -negErr : negErr;
    char buf[256];
    const char* s = strerror_r(e, buf, sizeof buf);  // GNU form
    return TCString::format("%s (%d)", s ? s : "", negErr);
}

KVD_ShowMessageFunc kvdSetShowMessageFunc(KVD_ShowMessageFunc fn, uintptr_t) { return g_show.exchange(fn); }

KVD_ShowMessageFunc kvdGetShowMessageFunc() { return g_show.load(); }

int kvdShowErrorMessage(void*, uint32_t, int, const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    const TCString t = TCString::vformat(zrnTranslateString(fmt).c_str(), a);
    va_end(a);
    return show(true, t);
}

int KRTL_ShowErrorMessage(void*, uint32_t, int, const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    const TCString t = TCString::vformat(zrnTranslateString(fmt).c_str(), a);
    va_end(a);
    return show(true, t);
}

int kvdShowErrorLibMessage(void*, uint32_t code, int, const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    TCString t = TCString::vformat(zrnTranslateString(fmt).c_str(), a);
    va_end(a);
    if (code != 0 && code != 0xFFFFFFFFu) {
        const TCString m = textOf(code);
        if (!m.isEmpty()) t.appendf(t.isEmpty() ? "%s!" : ". %s!", m.c_str());
    }
    return show(true, t);
}

int kvdShowMessage(const char* fmt, ...) {
    va_list a;
    va_start(a, fmt);
    const TCString t = TCString::vformat(zrnTranslateString(fmt).c_str(), a);
    va_end(a);
    return show(false, t);
}
