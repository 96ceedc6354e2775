// Texts of the registration-service client's codes.
#include "jCmp/ZrX509jCMPClient.h"
#include "platform/runtime/Translation.h"

const char* socketErrorName(uint32_t code) {
    switch (code) {
    case 10013: return "WSAEACCES:Доступ запрещен";
    case 10014:
    case 10022: return "WSAEFAULT:Неверно заданы параметры";
    case 10035: return "WSAEWOULDBLOCK:Нет возможности в данное время осуществить требуемую операцию";
    case 10037: return "WSAEALREADY:Требуемая процедура уже выполняется";
    case 10038:
    case 10045: return "WSAEOPNOTSUPP:Требуемые функции не поддерживаются";
    case 10039: return "WSAEDESTADDRREQ:Неверно указан адрес получателя";
    case 10040: return "WSAEMSGSIZE:Слишком большой размер передаваемых данных";
    case 10042:
    case 10044: return "WSAESOCKTNOSUPPORT:Неверно заданы опции или тип соединения";
    case 10043:
    case 10046: return "WSAEPROTONOSUPPORT:Для данного соединения выбранный протокол не поддерживается";
    case 10047: return "WSAEAFNOSUPPORT:Неверно указан протокол соединения";
    case 10048:
    case 10056: return "WSAEADDRINUSE:Соединение с указанными параметрами уже существует";
    case 10049: return "WSAEADDRNOTAVAIL:Невозможно создать соединение с указанными параметрами";
    case 10050: return "WSAENETDOWN:Погибла сетка";
    case 10051: return "WSAENETUNREACH:Попытка доступа к несуществующей сети";
    case 10052: return "WSAENETRESET:Соединение оборвано сетью";
    case 10053: return "WSAECONNABORTED:Обрыв соединения";
    case 10054: return "WSAECONNRESET:Cоединение закрыто сервером";
    case 10055:
        return "WSAENOBUFS:Ошибка создания сетевой очереди сообщений (Возможно, необходимо перегрузить операционную "
               "систему)";
    case 10057: return "WSAENOTCONN:Соединение не установлено";
    case 10058: return "WSAESHUTDOWN:Соединение уже закрыто";
    case 10060: return "WSAETIMEDOUT:Истекло время ожидания";
    case 10061: return "WSAECONNREFUSED:В соединении отказано (возможно, не загружен сервер)";
    case 10064: return "WSAEHOSTDOWN:Сервер прекратил свою работу";
    case 10065: return "WSAEHOSTUNREACH:Попытка открыть несуществующее соединение";
    case 10091: return "WSASYSNOTREADY:Ошибка инициализации сетевой поддержки";
    case 10092: return "WSAVERNOTSUPPORTED:Неверная версия WS2_32.DLL";
    case 10093: return "WSANOTINITIALISED:Не инициализирована поддержка соединений";
    case 11001: return "WSAHOST_NOT_FOUND:Хост соединения не найден";
    case 11002: return "WSATRY_AGAIN:Попытайтесь установить соединение позже";
    case 11004: return "WSANO_DATA:Отсутсвуют данные для запроса данного типа";
    default: return "Внутренняя ошибка системы";
    }
}

const char* jcmpErrorName(KResult code) {
    switch (code) {
    case 0xC0C00190: return "Неверный запрос";
    case 0xC0C00191: return "Клиент не авторизован";
    case 0xC0C00193: return "Доступ запрещен";
    case 0xC0C00194: return "Ресурс не найден";
    case 0xC0C00195: return "Метод не поддерживается";
    case 0xC0C00196: return "Не приемлемо";
    case 0xC0C00197: return "Необходима прокси авторизация";
    case 0xC0C00198: return "Таймаут обработки запроса";
    case 0xC0C00199: return "Конфликт использования  ресурса";
    case 0xC0C0019A: return "Ресурс удалён";
    case 0xC0C0019B: return "Необходим размер контента";
    case 0xC0C0019C: return "Ложное условие в заголовке";
    case 0xC0C0019D: return "Запрошены слишком большие данные";
    case 0xC0C0019E: return "Запрашиваемый URI слишком длинный";
    case 0xC0C0019F: return "Неподдерживаемый тип данных";
    case 0xC0C001A0: return "Запрашиваемый диапазон не достижим";
    case 0xC0C001A1: return "Ожидаемое не приемлемо";
    case 0xC0C001F4: return "Внутренняя ошибка сервера";
    case 0xC0C001F5: return "Не реализовано";
    case 0xC0C001F6: return "Плохой шлюз";
    case 0xC0C001F7: return "Сервис недоступен";
    case 0xC0C001F8: return "Таймаут ожидания ответа шлюза";
    case 0xC0C001F9: return "Версия HTTP протокола не поддерживается";
    case 0xC0C001FB: return "Переполнение хранилища";
    case 0xC0C00320: return "Сессия не инциализирована";
    case 0xC0C00321: return "Ошибка разбора данных";
    case 0xC0C00322: return "Отсутсвуют необходимые значения в отклике службы";
    case 0xC0C00324: return "Размер буфера меньше требуемого";
    case 0xC0C00325: return "Ошибка создания файла журнала";
    case 0xC0C00326: return "Параметр задан неверно";
    case 0xC0C00327: return "ZrX_jCMP_INDY_EXCEPTION";
    case 0xC0C00328: return "ZrX_jCMP_COMMON_EXCEPTION";
    case 0xC0C00329: return "Неверный дескриптор объекта";
    case 0xC0C0032A: return "Отсутствует контейнер личных ключей";
    case 0xC0C0032B: return "Ошибка загрузки файла";
    case 0xC0C0032C: return "Ошибка сохранения файла";
    case 0xC0C0032D: return "Операция отменена";
    default: return "Неопределенный код ошибки";
    }
}

TCString jcmpErrorText(KResult code) {
    const uint32_t low = code & 0xFFFFFu;
    return zrnTranslateString(low > 10000 ? socketErrorName(low) : jcmpErrorName(code));
}
