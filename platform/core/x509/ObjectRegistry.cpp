#include "platform/core/x509/ObjectRegistry.h"

#include <openssl/objects.h>

#include <cstring>
#include <mutex>

#include <strings.h>

#include "platform/runtime/Translation.h"

namespace {

// A private arc (a UUID-based identifier, 2.25.N) keeps our objects apart from
// anybody else's registrations.
#define ZRX_ARC "2.25.229462738156130834534923636639552198472"

struct ObjDef {
    const char* oid;
    const char* sn;
    const char* ln;
};

const ObjDef kTable[] = {
    {ZRX_ARC ".1.1", "zorenUID", "Zoren user identifier"},
    {ZRX_ARC ".1.2", "zorenProfileID", "Zoren key profile identifier"},
    {ZRX_ARC ".1.3", "zorenExtUserID", "Zoren external user identifier"},
    {ZRX_ARC ".1.4", "zorenPSPNumber", "Identity document number"},
    {ZRX_ARC ".1.5", "DRFOU_Code", "Taxpayer registration code"},
    {ZRX_ARC ".1.6", "unzr", "Population register record number"},
    {ZRX_ARC ".2.1", "zorenStorageName", "Key storage medium name"},
    {ZRX_ARC ".2.2", "zorenKAParams", "Key agreement parameters"},
    {ZRX_ARC ".2.3", "zorenProfileExt", "Zoren key profile"},
    {ZRX_ARC ".2.4", "zorenUserInfo", "Zoren owner information"},
    {ZRX_ARC ".3.1", "tempCertificate", "Temporary start-up certificate"},
    {ZRX_ARC ".3.2", "genKAKeys", "Key agreement keys generated together"},
    {ZRX_ARC ".3.3", "tokenAuthor338", "Device-authored keys"},
    {ZRX_ARC ".3.4", "zorenCMP", "Certificate management service"},
    {ZRX_ARC ".3.5", "issueOrdinaryCert", "Ordinary certificate"},
    {ZRX_ARC ".3.6", "UAExtKeyUsage_Stamp", "Electronic stamp"},
    {ZRX_ARC ".3.7", "UAExtKeyUsage_RA", "Registration authority operator"},
    {ZRX_ARC ".4.1", "zorenRevRequest", "Zoren revocation request"},
    {ZRX_ARC ".5.1", "zorenKAAlgorithm", "Key agreement algorithm"},
};
static_assert(sizeof(kTable) / sizeof(kTable[0]) == static_cast<size_t>(ZrXObject::Count_));

int gNids[static_cast<size_t>(ZrXObject::Count_)] = {};
std::once_flag gOnce;

void registerAll() {
    for (size_t i = 0; i < static_cast<size_t>(ZrXObject::Count_); ++i) {
        int nid = OBJ_txt2nid(kTable[i].oid);
        if (nid == NID_undef) nid = OBJ_sn2nid(kTable[i].sn);
        if (nid == NID_undef) nid = OBJ_create(kTable[i].oid, kTable[i].sn, kTable[i].ln);
        gNids[i] = nid;
    }
}

struct Caption {
    int nid;
    const char* text;
};

}  // namespace

void zrxRegisterObjects() { std::call_once(gOnce, registerAll); }

bool zrxIsOwnObject(int nid) {
    zrxRegisterObjects();
    if (nid == NID_undef) return false;
    for (int n : gNids)
        if (n == nid) return true;
    return false;
}

int zrxNid(ZrXObject obj) {
    zrxRegisterObjects();
    size_t i = static_cast<size_t>(obj);
    return i < static_cast<size_t>(ZrXObject::Count_) ? gNids[i] : NID_undef;
}

const char* zrxShortName(ZrXObject obj) {
    size_t i = static_cast<size_t>(obj);
    return i < static_cast<size_t>(ZrXObject::Count_) ? kTable[i].sn : "";
}

const char* zrxOid(ZrXObject obj) {
    size_t i = static_cast<size_t>(obj);
    return i < static_cast<size_t>(ZrXObject::Count_) ? kTable[i].oid : "";
}

int zrxNidOfShortName(const char* shortName) {
    zrxRegisterObjects();
    return shortName && *shortName ? OBJ_sn2nid(shortName) : NID_undef;
}

const char* zrxLongName(int nid) {
    zrxRegisterObjects();
    return nid == NID_undef ? nullptr : OBJ_nid2ln(nid);
}

int zrxNidOf(const char* nameOrOid) {
    zrxRegisterObjects();
    if (!nameOrOid || !*nameOrOid) return NID_undef;
    int nid = OBJ_sn2nid(nameOrOid);
    if (nid == NID_undef) nid = OBJ_ln2nid(nameOrOid);
    if (nid == NID_undef) {
        // only dotted numbers here: OBJ_txt2nid would also accept names
        bool dotted = true;
        for (const char* p = nameOrOid; *p; ++p)
            if (!((*p >= '0' && *p <= '9') || *p == '.')) dotted = false;
        if (dotted) nid = OBJ_txt2nid(nameOrOid);
    }
    if (nid == NID_undef) {
        // names compare without regard to case for our own objects ("zorenpspnumber")
        for (size_t i = 0; i < static_cast<size_t>(ZrXObject::Count_); ++i)
            if (strcasecmp(kTable[i].sn, nameOrOid) == 0) return gNids[i];
        static const struct {
            const char* alias;
            int nid;
        } aliases[] = {
            {"email", NID_pkcs9_emailAddress},
            {"sn", NID_surname},
            {"gn", NID_givenName},
            {"serialnumber", NID_serialNumber},
            {"cn", NID_commonName},
            {"o", NID_organizationName},
            {"ou", NID_organizationalUnitName},
            {"l", NID_localityName},
            {"st", NID_stateOrProvinceName},
            {"c", NID_countryName},
            {"title", NID_title},
            {"street", NID_streetAddress},
        };
        for (const auto& a : aliases)
            if (strcasecmp(a.alias, nameOrOid) == 0) return a.nid;
    }
    return nid;
}

bool isKDSTU4145_nid(int nid) { return nid != NID_undef && (nid == NID_dstu4145le || nid == NID_dstu4145be); }

TCString zrxObjectCaption(int nid) {
    zrxRegisterObjects();
    static const Caption std[] = {
        {NID_commonName, "Полное имя"},
        {NID_surname, "Фамилия"},
        {NID_givenName, "Имя"},
        {NID_title, "Должность"},
        {NID_organizationName, "Организация"},
        {NID_organizationalUnitName, "Подразделение"},
        {NID_localityName, "Населённый пункт"},
        {NID_stateOrProvinceName, "Область"},
        {NID_countryName, "Страна"},
        {NID_streetAddress, "Адрес"},
        {NID_serialNumber, "Серийный номер"},
        {NID_pkcs9_emailAddress, "Адрес эл. почты"},
        {NID_organizationIdentifier, "Идентификатор организации"},
        {NID_basic_constraints, "Основные ограничения"},
        {NID_key_usage, "Использование ключа"},
        {NID_ext_key_usage, "Расширенное использование ключа"},
        {NID_subject_key_identifier, "Идентификатор ключа субъекта"},
        {NID_authority_key_identifier, "Идентификатор ключа издателя"},
        {NID_subject_alt_name, "Альтернативное имя субъекта"},
        {NID_issuer_alt_name, "Альтернативное имя издателя"},
        {NID_certificate_policies, "Политики сертификата"},
        {NID_crl_distribution_points, "Точки распространения СОС"},
        {NID_info_access, "Доступ к информации издателя"},
        {NID_private_key_usage_period, "Период использования личного ключа"},
        {NID_crl_number, "Номер СОС"},
        {NID_delta_crl, "Индикатор дельта-СОС"},
        {NID_crl_reason, "Причина отзыва"},
        {NID_invalidity_date, "Дата компрометации"},
        {NID_subject_directory_attributes, "Атрибуты субъекта"},
        {NID_qcStatements, "Квалифицированный сертификат"},
    };
    for (const auto& c : std)
        if (c.nid == nid) return zrnTranslateString(c.text);
    static const char* own[] = {
        "Идентификатор пользователя",
        "Идентификатор профиля ключей",
        "Внешний идентификатор пользователя",
        "Номер документа, удостоверяющего личность",
        "Регистрационный номер учётной карточки налогоплательщика",
        "Уникальный номер записи в реестре",
        "Имя носителя ключей",
        "Параметры ключей связи",
        "Профиль ключей",
        "Информация о владельце",
        "Стартовый сертификат",
        "Генерация ключей связи",
        "Ключи, созданные носителем",
        "Служба управления сертификатами",
        "Обычный сертификат",
        "Электронная печать",
        "Оператор регистрационного центра",
        "Запрос на отмену сертификата",
        "Алгоритм ключей связи",
    };
    static_assert(sizeof(own) / sizeof(own[0]) == static_cast<size_t>(ZrXObject::Count_));
    for (size_t i = 0; i < static_cast<size_t>(ZrXObject::Count_); ++i)
        if (gNids[i] == nid && nid != NID_undef) return zrnTranslateString(own[i]);
    const char* ln = OBJ_nid2ln(nid);
    return TCString(ln ? ln : "");
}
