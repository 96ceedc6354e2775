#include "platform/core/x509/ZrXErrors.h"

#include "platform/core/config/XmlNode.h"
#include "platform/core/x509/Asn1Base.h"
#include "platform/core/container/ContainerCodes.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"

using namespace zrx::x509;

namespace {

// The untranslated text of a code of the facility, or null.
const char* zrxCodeText(KResult code) {
    struct Text {
        KResult code;
        const char* text;
    };
    static const Text texts[] = {
        {kErrFileRead, "Ошибка чтения файла"},
        {kErrFileWrite, "Ошибка записи файла"},
        {kErrDerEncode, "Ошибка DER-кодирования объекта"},
        {kErrDerDecode, "Ошибка DER-декодирования объекта: данные повреждены или имеют другой формат"},
        {kErrNotFound, "Объект не найден"},
        {kErrChainBroken, "Цепочка сертификатов разорвана: отсутствует сертификат издателя"},
        {kErrBufferTooSmall, "Объект не помещается в отведённый буфер"},
        {kErrEmptyObject, "Объект не содержит данных"},
        {kErrBadSignature, "Подпись объекта не прошла проверку"},
        {kErrExpired, "Срок действия сертификата истёк"},
        {kErrNotYetValid, "Срок действия сертификата ещё не наступил"},
        {kErrIssuerNotFound, "Сертификат издателя не найден"},
        {kErrUntrustedRoot, "Цепочка не заканчивается корневым сертификатом"},
        {kErrNotCA, "Издатель не является центром сертификации"},
        {kErrChainVerify, "Ошибка проверки цепочки сертификатов"},
        {kErrChainCycle, "Сертификаты цепочки ссылаются друг на друга по кругу"},
        {kErrNoKey, "Ключ отсутствует или не соответствует объекту"},
        {kErrSign, "Ошибка формирования подписи"},
        {kErrInvalidArg, "Неверный параметр"},
        {kErrNotSigned, "Объект не подписан"},
        {kErrBadValue, "Значение задано некорректно"},
        {kErrUnknownObject, "Неизвестный идентификатор объекта"},
        {kErrNameMismatch, "Имя издателя не совпадает с владельцем сертификата издателя"},
        {kErrCrypto, "Ошибка криптографической операции"},
    };
    for (const Text& t : texts)
        if (t.code == code) return t.text;
    // Key containers and the XML layer share the facility and keep their
    // texts beside their codes.
    if (const char* text = zrx::container::containerCodeText(code)) return text;
    return xmlErrorText(code);
}

TCString facilityText(uint32_t code) {
    if (const char* text = zrxCodeText(code)) return zrnTranslateString(text);
    return TCString::format(zrnTranslateString("Код ошибки 0x%08X").c_str(), code);
}

}  // namespace

TCString ZrXGetErrorText(KResult code) {
    if (const char* text = zrxCodeText(code)) return zrnTranslateString(text);
    return KRTL_GetTextMessage(code);
}

void registerZrXMessages() { KRTL_AddFacilityMessages(0x080u, facilityText, "ZrX", "ZrX509"); }

TCString getZrXCaption(int objClass, bool lowerCase) {
    const char* text;
    switch (objClass) {
    case zcCertificate: text = lowerCase ? "сертификат" : "Сертификат"; break;
    case zcRequest: text = lowerCase ? "запрос на сертификат" : "Запрос на сертификат"; break;
    case zcSignedRequest:
        text = lowerCase ? "удостоверенный запрос на сертификат" : "Удостоверенный запрос на сертификат";
        break;
    case zcRevRequest: text = lowerCase ? "запрос на отмену сертификата" : "Запрос на отмену сертификата"; break;
    case zcCrl: text = lowerCase ? "список отозванных сертификатов" : "Список отозванных сертификатов"; break;
    case zcPkcs7: text = lowerCase ? "набор сертификатов" : "Набор сертификатов"; break;
    default: text = lowerCase ? "объект" : "Объект"; break;
    }
    return zrnTranslateString(text);
}

TCString getZrXGI_caption(int objClass) {
    const char* text;
    switch (objClass) {
    case zcCertificate: text = "сертификата"; break;
    case zcRequest: text = "запроса на сертификат"; break;
    case zcSignedRequest: text = "удостоверенного запроса на сертификат"; break;
    case zcRevRequest: text = "запроса на отмену сертификата"; break;
    case zcCrl: text = "списка отозванных сертификатов"; break;
    case zcPkcs7: text = "набора сертификатов"; break;
    default: text = "объекта"; break;
    }
    return zrnTranslateString(text);
}
