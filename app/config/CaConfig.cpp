#include "app/config/CaConfig.h"

#include <cstdlib>
#include <cstring>

#include "components/CfgFile.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/crypto/SecretSeal.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "requests/RequestParamMaker.h"

namespace {

bool g_loadedOnce = false;

// A text value of at most maxChars characters: true when present and not
// empty; missing gives the default.
bool readText(TCBaseCFGFile& s, const char* key, size_t maxChars, const char* def, TCString& out) {
    TCString t;
    s.readString(key, t, def);
    out = cutChars(t.c_str(), maxChars);
    return !out.isEmpty();
}

bool fitsChars(const TCString& text, size_t maxChars) { return zrx_utf8::charCount(text.view()) <= maxChars; }

bool readNum(TCBaseCFGFile& s, const char* key, uint32_t def, uint32_t& out) { return s.readInt(key, out, def); }

}  // namespace

static_assert(kProtectedBlockSize == zrx::crypto::kSealedSecretSize);

static_assert(kProtectedLongBlockSize == zrx::crypto::kSealedLongSecretSize);
// 32 characters of up to four bytes each fit in the longer block.
static_assert(TZrxCaConfig::kSecretMax * 4 <= zrx::crypto::kSealedLongSecretMax);

bool protectConfigValue(const char* secretFile, const char* keyName, TCSecretString& value, std::string& block,
                        bool encrypt) {
    if (!keyName) return false;
    if (encrypt) {
        const std::string_view text(value.c_str(), value.length());
        if (zrx_utf8::charCount(text) > TZrxCaConfig::kSecretMax) return false;
        return zrx::crypto::sealSecret(secretFile, keyName, text, block);
    }
    return zrx::crypto::openSecret(secretFile, keyName, block, value);
}

// ---------------------------------------------------------------- the object

TZrxCaConfig::TZrxCaConfig() {
    resetDbRecord();
    setDefaults();
}

void TZrxCaConfig::resetDbRecord() {
    dbServerAddress.clear();
    dbFolder.clear();
    dbUser.clear();
    dbPassword.wipe();
}

void TZrxCaConfig::setDefaults() {
    flags = 0;
    flags.set(CAF_MAIL);
    ldapAddress = "127.0.0.1";
    ldapPort = 389;
    ldapLogin.clear();
    ldapPassword.wipe();
    ldapKeyFile.clear();
    ldapSecret2.wipe();
    ldapServerFile.clear();
    ldapBaseDN.clear();
    inputDir.clear();
    outputDir.clear();
    userEmail.clear();
    userID.clear();
    mailPassword.wipe();
    mailSubjPrefix.clear();
    resetDbRecord();
    smtpHost = "127.0.0.1";
    pop3Host = "127.0.0.1";
    smtpPort = 25;
    pop3Port = 110;
    mailTimeout = 15;
    serverPort = 831;
    clientCheckTimeout = 0;
    crlPreupdateTime = 0;
    msgPerseance = 0;
    extCrlRepository.clear();
    hsmAddress.clear();
    jcmpAddress.clear();
    jcmpTimeout = 0;
    rbMQAddress.clear();
    rbMQInQueue.clear();
    rbMQOutQueue.clear();
    autolockTime = 0;
    scanPeriod = 0;
    programFolder = cutText(getModulePath().c_str(), kPathMax - 1);
    TCString f = makePathName(getCommonDataDir().c_str(), "Zoren");
    localData = makePathName(f.c_str(), changeFileExt(getModuleFileName().c_str(), "").c_str());
}

bool TZrxCaConfig::isConfigured() { return !ldapAddress.isEmpty(); }
TCString TZrxCaConfig::dataFolder() { return localDataFolder(); }
TCString TZrxCaConfig::logFolder() { return makePathName(localData.c_str(), "Logs"); }
TCString TZrxCaConfig::fileName() { return TCString("ZrXCA.ini"); }
TCString TZrxCaConfig::serviceUrl() { return jcmpAddress; }
TCString TZrxCaConfig::keysFolder() { return makePathName(localData.c_str(), "CAKeys"); }
TCString TZrxCaConfig::databaseFolder() { return dbFolder; }
TCString TZrxCaConfig::localDataFolder() { return localData; }
TCString TZrxCaConfig::inputMasks() { return TCString("*.p7m,*.crl,*.ok?"); }
TCString TZrxCaConfig::crlMasks() { return TCString("*.crl,*.iz3,*.iz1"); }
void TZrxCaConfig::setLocalDataFolder(const char* folder) { localData = cutText(folder, kPathMax - 1); }
TCString TZrxCaConfig::tempFolder() { return makePathName(localData.c_str(), "Temp"); }
TCString TZrxCaConfig::mailInFolder() { return makePathName(tempFolder().c_str(), "mailIn"); }
TCString TZrxCaConfig::mailOutFolder() { return makePathName(tempFolder().c_str(), "mailOut"); }
TCString TZrxCaConfig::mailInBoxFolder() { return makePathName(mailInFolder().c_str(), "mailBox"); }
TCString TZrxCaConfig::mailOutBoxFolder() { return makePathName(mailOutFolder().c_str(), "mailBox"); }
TCString TZrxCaConfig::badFolder() { return makePathName(localData.c_str(), "bad"); }
TCString TZrxCaConfig::crlArchiveFolder() { return makePathName(localData.c_str(), "crlArch"); }

TCString TZrxCaConfig::secretFile() {
    if (dataFolder_.isEmpty() && pathOverride_.isEmpty()) prepareDataFolder();
    return makePathName(extractFilePath(filePath().c_str()).c_str(), "ZrXCA.key");
}

TCString TZrxCaConfig::dbRecordKey(const char* prefix, const char* name) {
    if (prefix && *prefix) return TCString::format("%s_%s", prefix, name);
    return TCString(name);
}

bool TZrxCaConfig::checkFolders(bool withKeys) {
    // checkDir creates missing folders one level at a time: make the parents first.
    auto make = [](const TCString& f) {
        if (checkDir(f.c_str(), 0, 0) == 0) return true;
        const std::string& s = f.str();
        for (size_t i = 1; i <= s.size(); ++i)
            if (i == s.size() || s[i] == '/') {
                if (checkDir(s.substr(0, i).c_str(), 1, 0) != 0) return false;
            }
        return true;
    };
    if (!make(logFolder()) || !make(mailInBoxFolder()) || !make(mailOutBoxFolder()) || !make(badFolder())) return false;
    if (withKeys && !make(keysFolder())) return false;
    if (flags.isSet(CAF_CRL_ARCHIVE) && !make(crlArchiveFolder())) return false;
    return true;
}

bool TZrxCaConfig::readConfig(TCBaseCFGFile& s) {
    uint32_t v = 0;
    TCString t;
    const TCString key = secretFile();
    s.readInt("flags", v, 1);
    flags = v;
    bool result = readText(s, "LdapAddress", 127, "127.0.0.1", ldapAddress);
    result = readNum(s, "LdapPort", 389, ldapPort) && result;
    readText(s, "LdapLogin", 255, "", ldapLogin);

    // A block of either size; only ciphertext passes through these buffers.
    auto readSecret = [&](const char* name, TCSecretString& field) {
        for (const size_t size : {kProtectedBlockSize, kProtectedLongBlockSize}) {
            uint8_t buf[kProtectedLongBlockSize];
            if (!s.readBinary(name, buf, size)) continue;
            std::string block(reinterpret_cast<const char*>(buf), size);
            return protectConfigValue(key.c_str(), name, field, block, false);
        }
        return false;
    };
    readSecret("caIniData1", ldapPassword);
    readSecret("caIniData2", ldapSecret2);
    readText(s, "LdapServerFile", 259, "", ldapServerFile);
    readText(s, "LdapKeyFile", 259, "", ldapKeyFile);
    readText(s, "LdapBaseDN", 259, "", ldapBaseDN);
    readText(s, "InputDir", 259, "", inputDir);
    readText(s, "OutputDir", 259, "", outputDir);
    readText(s, "rbMQAddress", 129, "", rbMQAddress);

    uint32_t useMail = 0;
    if (readNum(s, "useEMail", 0xFFFFFFFFu, useMail) && useMail != 0xFFFFFFFFu) flags.set(CAF_MAIL, useMail == 1);
    else flags.set(CAF_MAIL, rbMQAddress.isEmpty());
    bool mailResult = true;
    if (flags.isSet(CAF_MAIL)) mailResult = readText(s, "UserEmail", 64, "", userEmail);
    mailResult = readText(s, "UserID", 64, "", userID) && mailResult;
    readSecret("caIniData3", mailPassword);
    mailResult = readText(s, "SmtpHost", 259, "127.0.0.1", smtpHost) && mailResult;
    readNum(s, "SmtpPort", 25, smtpPort);
    mailResult = readText(s, "Pop3Host", 259, "127.0.0.1", pop3Host) && mailResult;
    readNum(s, "Pop3Port", 110, pop3Port);
    if (!flags.isSet(CAF_MAIL_NOT_COUNTED)) result = result && mailResult;
    readNum(s, "ScanPeriod", 0, v);
    scanPeriod = v < 20 ? v * 60 : v;
    readNum(s, "MailTimeOut", 10, mailTimeout);
    readText(s, "MailSubjPrefix", 64, "", mailSubjPrefix);

    if (readText(s, "localDataDir", 259, "", t)) {
        setLocalDataFolder(t.c_str());
        registerCFGMacro("DATA", localData.c_str());
    } else {
        result = false;
    }

    // The database record.
    bool db = readText(s, dbRecordKey(nullptr, "DbServerAddress").c_str(), 259, "127.0.0.1", dbServerAddress);
    if (!dbServerAddress.isEmpty()) db = readText(s, dbRecordKey(nullptr, "dbDir").c_str(), 259, "", dbFolder) && db;
    db = readText(s, dbRecordKey(nullptr, "DbServerUser").c_str(), 63, "sysdba", dbUser) && db;
    // No built-in password: an unreadable block leaves the password empty.
    if (!readSecret(dbRecordKey(nullptr, "caIniData4").c_str(), dbPassword)) dbPassword.wipe();
    result = result && db;

    readNum(s, "ServerPort", 831, serverPort);
    readNum(s, "ClientCheckTimeout", 0, clientCheckTimeout);
    if (clientCheckTimeout == 1) clientCheckTimeout = 0;
    readText(s, "extCrlRepository", 64, "", extCrlRepository);
    readNum(s, "msgPerseance", 100, v);
    msgPerseance = static_cast<uint16_t>(v);
    readNum(s, "autolockTime", 0, v);
    autolockTime = static_cast<int32_t>(v);
    readNum(s, "crlPreupdationTime", 0, v);
    crlPreupdateTime = static_cast<uint16_t>(v);

    TSNTPParams& sntp = getSNTPParams();
    readText(s, "sntpServer", TSNTPParams::kServerNameChars, "", t);
    std::memcpy(sntp.serverName, t.c_str(), t.length() + 1);
    readNum(s, "sntpsntpPort", 123, v);
    sntp.port = static_cast<uint16_t>(v);
    readNum(s, "sntpDelta", 120, v);
    sntp.allowedDiff = static_cast<uint16_t>(v);
    sntp.disabled = flags.isSet(CAF_NO_TIME_CHECK) ? 1 : 0;

    if (!readText(s, "HSM_addr", 111, "", hsmAddress)) {
        const char* env = std::getenv("PKCS11_PROXY_SOCKET");
        hsmAddress = cutText(env ? env : "", 111);
    }
    if (!hsmAddress.isEmpty()) registerCFGMacro("HSM_URI", hsmAddress.c_str());
    if (readText(s, "jCMP_addr", 99, "", jcmpAddress)) registerCFGMacro("jCMP_URI", jcmpAddress.c_str());
    readNum(s, "jCMP_timeout", 1, v);
    jcmpTimeout = static_cast<uint16_t>(v);
    registerGlobalIntValue("HTTP_TIMEOUT", jcmpTimeout);
    readText(s, "rbMQ_in_queieName", 259, "", rbMQInQueue);
    readText(s, "rbMQ_out_queieName", 259, "", rbMQOutQueue);
    return result;
}

bool TZrxCaConfig::writeConfig(TCBaseCFGFile& s) {
    flags.set(CAF_NO_TIME_CHECK, getSNTPParams().disabled != 0);
    const TCString key = secretFile();
    auto writeSecret = [&](const char* name, TCSecretString& field) {
        std::string block;
        return protectConfigValue(key.c_str(), name, field, block, true) &&
               s.writeBinary(name, block.data(), block.size());
    };
    bool r = true;
    s.writeInt("flags", flags.value());
    r = s.writeString("LdapAddress", ldapAddress.c_str()) && r;
    r = s.writeInt("LdapPort", ldapPort) && r;
    r = s.writeString("LdapLogin", ldapLogin.c_str()) && r;
    r = writeSecret("caIniData2", ldapSecret2) && r;
    r = writeSecret("caIniData1", ldapPassword) && r;
    s.writeString("LdapServerFile", ldapServerFile.c_str());
    s.writeString("LdapKeyFile", ldapKeyFile.c_str());
    s.writeString("LdapBaseDN", ldapBaseDN.c_str());
    r = s.writeString("InputDir", inputDir.c_str()) && r;
    r = s.writeString("OutputDir", outputDir.c_str()) && r;
    s.writeString("rbMQAddress", rbMQAddress.c_str());
    s.writeInt("useEMail", flags.isSet(CAF_MAIL) ? 1 : 0);
    r = s.writeString("UserEmail", userEmail.c_str()) && r;
    r = s.writeString("UserID", userID.c_str()) && r;
    r = writeSecret("caIniData3", mailPassword) && r;
    r = s.writeString("SmtpHost", smtpHost.c_str()) && r;
    s.writeInt("SmtpPort", smtpPort);
    r = s.writeString("Pop3Host", pop3Host.c_str()) && r;
    s.writeInt("Pop3Port", pop3Port);
    s.writeInt("ScanPeriod", scanPeriod);
    s.writeInt("MailTimeOut", mailTimeout);
    s.writeString("MailSubjPrefix", mailSubjPrefix.c_str());
    r = s.writeString("localDataDir", localData.c_str()) && r;
    r = s.writeString(dbRecordKey(nullptr, "DbServerAddress").c_str(), dbServerAddress.c_str()) && r;
    r = s.writeString(dbRecordKey(nullptr, "dbDir").c_str(), dbFolder.c_str()) && r;
    r = s.writeString(dbRecordKey(nullptr, "DbServerUser").c_str(), dbUser.c_str()) && r;
    r = writeSecret(dbRecordKey(nullptr, "caIniData4").c_str(), dbPassword) && r;
    s.writeInt("ServerPort", serverPort);
    s.writeInt("ClientCheckTimeout", clientCheckTimeout);
    s.writeString("extCrlRepository", extCrlRepository.c_str());
    s.writeInt("msgPerseance", msgPerseance);
    s.writeInt("autolockTime", static_cast<uint32_t>(autolockTime));
    s.writeInt("crlPreupdationTime", crlPreupdateTime);
    const TSNTPParams& sntp = getSNTPParams();
    s.writeString("sntpServer", sntp.serverName);
    s.writeInt("sntpsntpPort", sntp.port);
    s.writeInt("sntpDelta", sntp.allowedDiff);
    s.writeString("HSM_addr", hsmAddress.c_str());
    s.writeString("jCMP_addr", jcmpAddress.c_str());
    s.writeInt("jCMP_timeout", jcmpTimeout);
    s.writeString("rbMQ_in_queieName", rbMQInQueue.c_str());
    s.writeString("rbMQ_out_queieName", rbMQOutQueue.c_str());
    registerCFGMacro("jCMP_URI", jcmpAddress.c_str());
    registerGlobalIntValue("HTTP_TIMEOUT", jcmpTimeout);
    return r;
}

bool TZrxCaConfig::load() {
    prepareDataFolder();
    const TCString path = filePath();
    registerCFGMacro("CONFIG", path.c_str());
    TCIniFile ini(path.c_str(), "Config");
    if (!readConfig(ini)) {
        csLogFmtText(static_cast<int32_t>(KR_E_IO), "Ошибка загрузки настроек программы из файла '%s'", path.c_str());
        return false;
    }
    if (!g_loadedOnce) {
        g_loadedOnce = true;
        csLogFmtText(0, "Настройки программы успешно загружены из файла '%s'", path.c_str());
    }
    return true;
}

TCString TZrxCaConfig::invalidValue() {
    const struct {
        const char* key;
        const TCString& text;
        size_t maxChars;
    } texts[] = {
        {"LdapAddress", ldapAddress, 127},
        {"LdapLogin", ldapLogin, 255},
        {"LdapServerFile", ldapServerFile, 259},
        {"LdapKeyFile", ldapKeyFile, 259},
        {"LdapBaseDN", ldapBaseDN, 259},
        {"InputDir", inputDir, 259},
        {"OutputDir", outputDir, 259},
        {"rbMQAddress", rbMQAddress, 129},
        {"UserEmail", userEmail, 64},
        {"UserID", userID, 64},
        {"SmtpHost", smtpHost, 259},
        {"Pop3Host", pop3Host, 259},
        {"MailSubjPrefix", mailSubjPrefix, 64},
        {"localDataDir", localData, 259},
        {"DbServerAddress", dbServerAddress, 259},
        {"dbDir", dbFolder, 259},
        {"DbServerUser", dbUser, 63},
        {"extCrlRepository", extCrlRepository, 64},
        {"HSM_addr", hsmAddress, 111},
        {"jCMP_addr", jcmpAddress, 99},
        {"rbMQ_in_queieName", rbMQInQueue, 259},
        {"rbMQ_out_queieName", rbMQOutQueue, 259},
    };
    for (const auto& t : texts)
        if (!fitsChars(t.text, t.maxChars) || t.text.view().find_first_of("\r\n") != std::string_view::npos)
            return TCString(t.key);
    if (!fitsChars(TCString(getSNTPParams().serverName), TSNTPParams::kServerNameChars)) return TCString("sntpServer");
    const struct {
        const char* key;
        const TCSecretString& secret;
    } secrets[] = {
        {"caIniData1", ldapPassword},
        {"caIniData2", ldapSecret2},
        {"caIniData3", mailPassword},
        {"caIniData4", dbPassword},
    };
    for (const auto& t : secrets)
        if (zrx_utf8::charCount(std::string_view(t.secret.c_str(), t.secret.length())) > kSecretMax)
            return TCString(t.key);
    return TCString();
}

bool TZrxCaConfig::save() {
    prepareDataFolder();
    const TCString path = filePath();
    registerCFGMacro("CONFIG", path.c_str());
    // Everything is checked, then gathered and written in one replacement
    // of the file: a failure leaves the old file whole.
    const TCString invalid = invalidValue();
    TCIniFile ini(path.c_str(), "Config");
    ini.beginUpdate();
    const bool written = invalid.isEmpty() && writeConfig(ini) && ini.commitUpdate();
    if (!written) {
        ini.cancelUpdate();
        if (!invalid.isEmpty()) csLogFmtText(static_cast<int32_t>(KR_E_INVALIDARG), "%s", invalid.c_str());
        KV_HLogFmtText(KR_E_IO, "Ошибка сохранения настроек программы в файле '%s'", path.c_str());
        return false;
    }
    KV_HLogFmtText(0x4090000Eu, "Настройки программы успешно сохранены из файла '%s'", path.c_str());
    return true;
}

TZrxCaConfig& getCaConfig() {
    static TZrxCaConfig config;
    return config;
}

namespace {
// The request maker reads its folder and the owner's address from here.
TCMakerCaValues caValuesForMaker() { return TCMakerCaValues{getCaConfig().programFolder, getCaConfig().userEmail}; }
const bool gMakerCaValuesSet = (setMakerCaValues(caValuesForMaker), true);
}  // namespace

// ---------------------------------------------------------------- messages

namespace {

struct CodeText {
    uint32_t code;
    const char* text;
};

const CodeText kTexts[] = {
    {0x80900001u, "СОС не содержит информации об отозванных сертификатах"},
    {0x80900006u, "Отсутствует сертификат издателя"},
    {0xC0900001u, "Недопустимое количество администраторов"},
    {0xC0900002u, "Недопустимая комбинация ключей администраторов"},
    {0xC0900007u, "Принимаемый объект уже зарегистрирован в базе данных"},
    {0xC0900008u, "Неподдерживаемый тип объекта"},
    {0xC0900009u, "В сертификате получателя отсутствует адрес эл. почты"},
    {0xC090000Cu, "Информация об объекте отсутствует в БД"},
    {0xC090000Du, "Неоднозначность: найдено более одного объектов, соответствующих заданному критеритю"},
    {0xC090000Eu, "Не совместимые причины отзыва"},
    {0xC090000Fu, "Отрытый ключ в регистрируемом сертификате не является уникальным"},
    {0xC0900010u, "Неподдерживаемый тип сообщения Зорен-X.509"},
    {0xC0900011u, "Вырабатываемый сертификат имеет неуникальные атрибуты"},
    {0xC0900018u, "База данных занята"},
    {0xC0900019u, "Запрос на сертификат отклонен"},
    {0xC090001Au, "Не удалось получить доступ к разделяемым данным"},
    {0xC090001Bu, "Ошибка модификации первичной базы данных. Обслуживание будет остановлено."},
    {0xC090001Cu, "Ошибка модификации вторичной базы данных"},
    {0xC090001Fu, "Объект не найден"},
    {0xC0900020u, "Недопустимые полномочия сертификата"},
    {0xC0900021u, "Параметр задан неверно"},
    {0xC890001Du, "Ошибка издания СОС"},
    {0xC890001Eu, "В процессе работы ЦСК возникла критическая ошибка, приведшая к остановке работы"},
    {0xC09000C9u, "Ошибка приема эл.почты"},
    {0xC09000CAu, "Ошибка передачи эл.почты"},
    {0xC09000CBu, "Ошибка выполения операций приема-передачи эл.почты "},
    {0xC09000CCu, "Ошибка подключения к POP3-серверу"},
    {0xC09000CDu, "Ошибка подключения к SMTP-серверу"},
    {0xC09000CEu, "Почтовый ящик заблокировн другой программой"},
    {0xC09000CFu, "Ошибка подключения к брокеру сообщений RabbitMQ"},
};

const CodeText kHttp[] = {
    {400, "Неверный запрос"},
    {401, "Неавторизованный запрос"},
    {402, "Необходима оплата за запрос"},
    {403, "Доступ к ресурсу запрещен"},
    {404, "Ресурс не найден"},
    {405, "Недопустимый метод"},
    {406, "Неприемлемый запрос"},
    {407, "Требуется идентификация прокси, файервола"},
    {408, "Время запроса истекло"},
    {409, "Конфликт запроса на сервере"},
    {410, "Ресурс недоступен"},
    {411, "Необходимо указать длину"},
    {412, "Сбой при обработке предварительного условия"},
    {413, "Тело запроса превышает допустимый размер"},
    {414, "Недопустимая длина URI запроса"},
    {415, "Неподдерживаемый MIME-тип"},
    {416, "Диапазон не может быть обработан"},
    {417, "Сбой при ожидании"},
    {422, "Необрабатываемый элемент"},
    {423, "Требуемый ресурс сервера заблокирован"},
    {424, "Неверная зависимость"},
    {426, "Требуется обновление клиента"},
    {500, "Внутренняя ошибка сервера"},
    {501, "Метод не поддерживается"},
    {502, "Ошибка шлюза"},
    {503, "Служба недоступна"},
    {504, "Время прохождения через межсетевой шлюз истекло"},
    {505, "Версия НТТР не поддерживается"},
    {507, "Недостаточно места"},
    {510, "Отсутствуют расширения"},
};

}  // namespace

TCString caMessageText(uint32_t code) {
    for (const auto& t : kTexts)
        if (t.code == code) return zrnTranslateString(t.text);
    if ((code & 0xFFFF0000u) == 0xC0900000u && (code & 0xFFFFu) >= 200) {
        const uint32_t status = (code & 0xFFFFu) - 200;
        for (const auto& t : kHttp)
            if (t.code == status) return zrnTranslateString(t.text);
    }
    return zrnTranslateString("Неизвестный код");
}

void registerCaMessages() {
    KRTL_AddFacilityMessages(0x900000u, caMessageText, "CA", "Сервер");
    // 0xC890001D and 0xC890001E carry bit 27 in their facility bits (0x890).
    KRTL_AddFacilityMessages(0x890u, caMessageText, "CA", "Сервер");
}
