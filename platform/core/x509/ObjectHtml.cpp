#include "platform/core/x509/ObjectHtml.h"

#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include <string>
#include <string_view>

#include "platform/core/x509/CertsChain.h"
#include "platform/core/x509/Crl.h"
#include "platform/core/x509/ExtList.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/Pkcs7.h"
#include "platform/core/x509/RevReq.h"
#include "platform/core/x509/X509Util.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/runtime/MarkupEscape.h"
#include "platform/runtime/Translation.h"

using namespace zrx::x509;

TCString zrxHtmlEscape(std::string_view text) { return TCString(escapeMarkup(text)); }

static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Appends one run (no blanks in it), escaped, with break opportunities
// (<wbr>) where it is too long; the run's characters stay as they are.
static void appendRun(std::string& out, std::string_view run) {
    if (zrx_utf8::charCount(run) <= kZrxHtmlMaxRun) {
        out += zrxHtmlEscape(run).str();
        return;
    }
    constexpr int kColonsPerGroup = 8;
    constexpr size_t kChunk = 32;
    auto appendPiece = [&out](std::string_view piece) {
        while (zrx_utf8::charCount(piece) > kZrxHtmlMaxRun) {
            const size_t n = zrx_utf8::bytesOfChars(piece, kChunk);
            out += zrxHtmlEscape(piece.substr(0, n)).str();
            out += "<wbr>";
            piece.remove_prefix(n);
        }
        out += zrxHtmlEscape(piece).str();
    };
    int colons = 0;
    size_t start = 0;
    for (size_t i = 0; i < run.size(); ++i) {
        if (run[i] != ':' || ++colons % kColonsPerGroup != 0 || i + 1 == run.size()) continue;
        appendPiece(run.substr(start, i + 1 - start));
        out += "<wbr>";
        start = i + 1;
    }
    appendPiece(run.substr(start));
}

TCString zrxHtmlBreakable(const TCString& text) {
    const std::string& s = text.str();
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    size_t i = 0;
    while (i < s.size()) {
        size_t j = i;
        while (j < s.size() && !isBlank(s[j])) ++j;
        appendRun(out, std::string_view(s).substr(i, j - i));
        while (j < s.size() && isBlank(s[j])) out += s[j++];
        i = j;
    }
    return TCString(std::move(out));
}

// Escaped text with line breaks kept.
static TCString escapeLines(const TCString& text) {
    TCString e = zrxHtmlBreakable(text);
    e.replaceAll("\r\n", "\n");
    e.replaceAll("\n", "<br>");
    return e;
}

// ---- page builder ----

TZrXHtmlPage::TZrXHtmlPage(TCString& out, int mode, bool fragment) : out_(out), mode_(mode == 1 ? 1 : 0) {
    if (!fragment) out_ += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";
}

void TZrXHtmlPage::closeTable() {
    if (tableOpen_) {
        out_ += "</table>\n";
        tableOpen_ = false;
    }
}

void TZrXHtmlPage::title(const TCString& text, const TCString& sub) {
    closeTable();
    if (print()) {
        out_.appendf("<h3 align=\"center\">%s</h3>\n", zrxHtmlBreakable(text).c_str());
        if (!sub.isEmpty()) out_.appendf("<p align=\"center\"><b>%s</b></p>\n", zrxHtmlBreakable(sub).c_str());
    } else {
        out_.appendf("<p align=\"center\"><font size=\"+1\" color=\"navy\"><b>%s</b></font>",
                     zrxHtmlBreakable(text).c_str());
        if (!sub.isEmpty()) out_.appendf("<br><font color=\"navy\">%s</font>", zrxHtmlBreakable(sub).c_str());
        out_ += "</p>\n";
    }
}

void TZrXHtmlPage::status(const TCString& text, bool good) {
    closeTable();
    if (print()) out_.appendf("<p align=\"center\"><b>%s</b></p>\n", zrxHtmlBreakable(text).c_str());
    else
        out_.appendf("<p align=\"center\"><font color=\"%s\"><b>%s</b></font></p>\n", good ? "green" : "maroon",
                     zrxHtmlBreakable(text).c_str());
}

void TZrXHtmlPage::section(const char* caption) {
    if (!tableOpen_) {
        if (print()) out_ += "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n";
        else out_ += "<table width=\"100%\" border=\"0\" cellspacing=\"1\" cellpadding=\"3\">\n";
        tableOpen_ = true;
    }
    if (print())
        out_.appendf("<tr><td colspan=\"2\"><b>%s</b></td></tr>\n", zrxHtmlEscape(tr(caption).c_str()).c_str());
    else
        out_.appendf("<tr><td colspan=\"2\" bgcolor=\"#DCEAF8\"><font color=\"navy\"><b>%s</b></font></td></tr>\n",
                     zrxHtmlEscape(tr(caption).c_str()).c_str());
}

void TZrXHtmlPage::rowHtml(const TCString& labelHtml, const TCString& html) {
    if (!tableOpen_) section("Сведения");
    if (print())
        out_.appendf("<tr><td width=\"35%%\" valign=\"top\">%s</td><td valign=\"top\">%s</td></tr>\n",
                     labelHtml.c_str(), html.c_str());
    else
        out_.appendf(
            "<tr><td width=\"35%%\" valign=\"top\"><b>%s</b></td><td valign=\"top\"><font "
            "color=\"navy\">%s</font></td></tr>\n",
            labelHtml.c_str(), html.c_str());
}

void TZrXHtmlPage::row(const char* label, const TCString& value) { rowText(tr(label), value); }

void TZrXHtmlPage::rowText(const TCString& label, const TCString& value) {
    rowHtml(zrxHtmlBreakable(label + ":"), escapeLines(value));
}

void TZrXHtmlPage::nameRows(const TZrX509Name& name) {
    if (name.count() == 0) {
        rowText(tr("Имя"), tr("(пусто)"));
        return;
    }
    for (int i = 0; i < name.count(); ++i) {
        int nid = name.entryNid(i);
        TCString label = nid != NID_undef ? zrxObjectCaption(nid) : TCString();
        if (label.isEmpty()) label = name.entryShortName(i);
        rowText(label, name.entryValue(i));
    }
}

// Russian names of the standard extended key usages.
static const char* ekuCaption(int nid) {
    switch (nid) {
    case NID_server_auth: return "Аутентификация сервера";
    case NID_client_auth: return "Аутентификация клиента";
    case NID_code_sign: return "Подпись программного кода";
    case NID_email_protect: return "Защита электронной почты";
    case NID_time_stamp: return "Метки времени";
    case NID_OCSP_sign: return "Подпись ответов OCSP";
    case NID_ipsecEndSystem: return "Узел IPsec";
    case NID_ipsecTunnel: return "Туннель IPsec";
    case NID_ipsecUser: return "Пользователь IPsec";
    case NID_anyExtendedKeyUsage: return "Любое назначение";
    default: return nullptr;
    }
}

TCString zrxExtensionValueText(const X509_EXTENSION* ext) {
    if (!ext) return TCString();
    auto* e = const_cast<X509_EXTENSION*>(ext);
    int nid = OBJ_obj2nid(X509_EXTENSION_get_object(e));
    if (nid == NID_key_usage) {
        static const char* const bits[] = {"Цифровая подпись",
                                           "Неотрекаемость",
                                           "Шифрование ключей",
                                           "Шифрование данных",
                                           "Согласование ключей",
                                           "Подпись сертификатов",
                                           "Подпись списков отозванных сертификатов",
                                           "Только шифрование",
                                           "Только расшифрование"};
        auto* ku = static_cast<ASN1_BIT_STRING*>(X509V3_EXT_d2i(e));
        TCString out;
        for (int b = 0; ku && b < 9; ++b)
            if (ASN1_BIT_STRING_get_bit(ku, b)) {
                if (!out.isEmpty()) out += ", ";
                out += tr(bits[b]);
            }
        ASN1_BIT_STRING_free(ku);
        ERR_clear_error();
        if (!out.isEmpty()) return out;
    }
    if (nid == NID_basic_constraints) {
        auto* bc = static_cast<BASIC_CONSTRAINTS*>(X509V3_EXT_d2i(e));
        if (bc) {
            TCString out = tr(bc->ca ? "Центр сертификации" : "Конечный пользователь");
            if (bc->ca && bc->pathlen)
                out.appendf(", %s: %ld", tr("длина цепочки не более").c_str(), ASN1_INTEGER_get(bc->pathlen));
            BASIC_CONSTRAINTS_free(bc);
            return out;
        }
        ERR_clear_error();
    }
    if (nid == NID_ext_key_usage) {
        auto* eku = static_cast<EXTENDED_KEY_USAGE*>(X509V3_EXT_d2i(e));
        TCString out;
        for (int i = 0; eku && i < sk_ASN1_OBJECT_num(eku); ++i) {
            const ASN1_OBJECT* o = sk_ASN1_OBJECT_value(eku, i);
            int pn = OBJ_obj2nid(o);
            TCString c;
            if (zrxIsOwnObject(pn)) c = zrxObjectCaption(pn) + " (" + OBJ_nid2sn(pn) + ")";
            else if (ekuCaption(pn)) c = tr(ekuCaption(pn)) + " (" + OBJ_nid2sn(pn) + ")";
            else if (pn != NID_undef) c = OBJ_nid2ln(pn);
            else c = zrxObjText(o, true);
            if (!out.isEmpty()) out += "\n";
            out += c;
        }
        sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
        ERR_clear_error();
        if (!out.isEmpty()) return out;
    }
    if (nid == zrxNid(ZrXObject::KAParams)) {
        const ASN1_OCTET_STRING* os = X509_EXTENSION_get_data(e);
        const unsigned char* p = ASN1_STRING_get0_data(os);
        X509_ALGOR* alg = d2i_X509_ALGOR(nullptr, &p, ASN1_STRING_length(os));
        if (alg) {
            TCString t = zrxSigAlgText(alg);
            X509_ALGOR_free(alg);
            return t;
        }
        ERR_clear_error();
    }
    if (nid != NID_undef && X509V3_EXT_get_nid(nid)) {
        TCString t = zrxBioText([e](BIO* b) { return X509V3_EXT_print(b, e, 0, 0); });
        t.trim();
        if (!t.isEmpty()) return t;
    }
    TCX509ExtEntry entry;
    if (!failed(entry.fromExtension(e))) return entry.getValue();
    return TCString();
}

void TZrXHtmlPage::extensionRows(const TX509v3ExtList& exts) {
    if (exts.count() == 0) return;
    section("Дополнения");
    for (int i = 0; i < exts.count(); ++i) {
        X509_EXTENSION* e = exts.at(i);
        const ASN1_OBJECT* obj = X509_EXTENSION_get_object(e);
        int nid = OBJ_obj2nid(obj);
        TCString label = nid != NID_undef ? zrxObjectCaption(nid) : zrxObjText(obj, true);
        TCString labelHtml = zrxHtmlBreakable(label + ":");
        if (X509_EXTENSION_get_critical(e))
            labelHtml.appendf("<br><i>%s</i>", zrxHtmlEscape(tr("(критическое)").c_str()).c_str());
        rowHtml(labelHtml, escapeLines(zrxExtensionValueText(e)));
    }
}

void TZrXHtmlPage::note(const TCString& text) {
    closeTable();
    out_.appendf("<p>%s</p>\n", escapeLines(text).c_str());
}

void TZrXHtmlPage::rawHtml(const char* html) {
    closeTable();
    out_ += html;
}

void TZrXHtmlPage::finish() {
    if (finished_) return;
    finished_ = true;
    closeTable();
    if (print()) {
        TCASN1Time now(TCASN1Time::now());
        out_.appendf("<p align=\"right\"><small>%s %s</small></p>\n",
                     zrxHtmlEscape(tr("Дата формирования:").c_str()).c_str(), now.localText().c_str());
    }
}

// ---- shared parts ----

static TCString statusText(uint32_t status) {
    switch (status) {
    case zsValid: return tr("Сертификат действует");
    case zsExpired: return tr("Срок действия сертификата истёк");
    case zsNotYetValid: return tr("Срок действия сертификата ещё не наступил");
    default: return TCString();
    }
}

static TCString usageText(uint32_t f) {
    struct Bit {
        uint32_t bit;
        const char* text;
    };
    static const Bit bits[] = {
        {zfCA, "Центр сертификации"},
        {zfRoot, "Корневой сертификат"},
        {zfSignature, "Электронная подпись"},
        {zfKeyAgreement, "Шифрование (ключи связи)"},
        {zfStart, "Стартовый сертификат"},
        {zfTlsClient, "Клиент TLS/VPN"},
        {zfVpnServer, "Сервер TLS/VPN"},
        {zfVpnClient, "Клиент VPN"},
        {zfTimeStamping, "Служба меток времени"},
        {zfOCSP, "Служба OCSP"},
        {zfCMP, "Служба управления сертификатами"},
        {zfEmail, "Защита электронной почты"},
    };
    TCString out;
    for (const Bit& b : bits)
        if (f & b.bit) {
            if (!out.isEmpty()) out += ", ";
            out += tr(b.text);
        }
    return out;
}

static TCString derFingerprint(const std::vector<uint8_t>& der, const EVP_MD* md) {
    unsigned char buf[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (der.empty() || !EVP_Digest(der.data(), der.size(), buf, &n, md, nullptr)) return TCString();
    return TCASN1OctetString(buf, n).toHex(true);
}

static void certSummaryRows(TZrXHtmlPage& page, const TZrX509& c) {
    page.rowText(tr("Владелец"), c.getSubject()->text());
    page.rowText(tr("Издатель"), c.getIssuer()->text());
    page.row("Серийный номер", c.getSerialStr());
    page.row("Действует с", c.getNotBefore().localText());
    page.row("Действует по", c.getNotAfter().localText());
    page.row("Идентификатор ключа", c.keyID().toHex(true));
}

// ---- objects ----

void TZrX509::htmlView(TCString& out, int mode) const {
    out.clear();
    TZrXHtmlPage page(out, mode);
    if (!x_) {
        page.note(tr("Сертификат отсутствует"));
        page.finish();
        return;
    }
    TCString kind = getKindDescirption(false);
    page.title(kind.isEmpty() ? caption() : caption() + " " + tr("ключа") + kind, ownerName());
    uint32_t st = computeStatus();
    page.status(statusText(st), st == zsValid);
    page.section("Владелец");
    page.nameRows(*getSubject());
    page.section("Издатель");
    page.nameRows(*getIssuer());
    page.section("Сертификат");
    page.row("Серийный номер", getSerialStr());
    page.row("Действует с", getNotBefore().localText());
    page.row("Действует по", getNotAfter().localText());
    page.row("Версия", TCString(static_cast<int64_t>(X509_get_version(x_) + 1), 10));
    page.row("Алгоритм подписи", signatureAlgorithmText());
    TCString usage = usageText(keyFlags());
    if (!usage.isEmpty()) page.row("Назначение", usage);
    if (profile()) page.row("Профиль ключей", TCString(profile()));
    page.section("Открытый ключ");
    page.row("Алгоритм ключа", keyAlgorithmText());
    page.row("Идентификатор ключа", keyID().toHex(true));
    TCASN1OctetString aki = getAuthKeyID();
    if (!aki.isEmpty()) page.row("Идентификатор ключа издателя", aki.toHex(true));
    page.extensionRows(extensions());
    page.section("Отпечатки");
    page.row("SHA-1", fingerprint(EVP_sha1()));
    page.row("SHA-256", fingerprint(EVP_sha256()));
    page.finish();
}

void TZrX509Req::htmlView(TCString& out, int mode) const {
    out.clear();
    TZrXHtmlPage page(out, mode);
    if (!r_) {
        page.note(tr("Запрос отсутствует"));
        page.finish();
        return;
    }
    TCString kind = getKindDescirption(false);
    page.title(kind.isEmpty() ? caption() : caption() + " " + tr("ключа") + kind, ownerName());
    KResult sig = verifySelf();
    page.status(sig == 0               ? tr("Подпись запроса верна")
                : sig == kErrNotSigned ? tr("Запрос не подписан")
                                       : tr("Подпись запроса неверна"),
                sig == 0);
    page.section("Владелец");
    page.nameRows(*getSubject());
    page.section("Запрос");
    page.row("Версия", TCString(static_cast<int64_t>(X509_REQ_get_version(r_) + 1), 10));
    page.row("Алгоритм подписи", signatureAlgorithmText());
    TCString usage = usageText(keyFlags());
    if (!usage.isEmpty()) page.row("Назначение", usage);
    if (profile()) page.row("Профиль ключей", TCString(profile()));
    if (!challengePassword().isEmpty()) page.row("Пароль отзыва", tr("задан"));
    page.section("Открытый ключ");
    page.row("Алгоритм ключа", keyAlgorithmText());
    page.row("Идентификатор ключа", keyID().toHex(true));
    page.extensionRows(extensions());
    std::vector<uint8_t> der;
    encode(der);
    page.section("Отпечатки");
    page.row("SHA-256", derFingerprint(der, EVP_sha256()));
    page.finish();
}

static void signerRows(TZrXHtmlPage& page, const TZrXNPkcs7& p7) {
    if (p7.numSigners() == 0) return;
    KResult v = p7.verifySignatures();
    page.section("Удостоверение");
    page.row("Подпись", v == 0                    ? tr("верна")
                        : v == kErrIssuerNotFound ? tr("сертификат удостоверителя не найден")
                                                  : tr("неверна"));
    for (int i = 0; i < p7.numSigners(); ++i) {
        const TZrX509* s = p7.getSigner(i);
        if (!s) {
            page.row("Удостоверитель", tr("сертификат не найден"));
            continue;
        }
        page.row("Удостоверитель", s->ownerName());
        page.row("Серийный номер", s->getSerialStr());
        page.rowText(tr("Издатель"), s->getIssuer()->text());
        page.row("Действует по", s->getNotAfter().localText());
    }
}

void TZrXNPkcs7::htmlView(TCString& out, int mode) const {
    out.clear();
    TZrXHtmlPage page(out, mode);
    page.title(caption(), ownerName());
    signerRows(page, *this);
    if (!content_.empty()) {
        page.section("Содержимое");
        page.row("Тип", zrxObjText(OBJ_nid2obj(contentNid_)));
        page.row("Размер", TCString::format("%zu", content_.size()));
    }
    for (int i = 0; i < numCert(); ++i) {
        page.section("Сертификат");
        certSummaryRows(page, *certAt(i));
    }
    page.finish();
}

void TZrXPkcs7::htmlView(TCString& out, int mode) const {
    out.clear();
    TZrXHtmlPage page(out, mode);
    page.title(caption(), TCString::format("%s: %d", tr("Сертификатов").c_str(), numCert()));
    signerRows(page, *this);
    for (int i = 0; i < numCert(); ++i) {
        page.section("Сертификат");
        certSummaryRows(page, *certAt(i));
    }
    page.finish();
}

void TZrXSignedReq::htmlView(TCString& out, int mode) const {
    out.clear();
    if (!req_) {
        TZrXHtmlPage page(out, mode);
        page.note(tr("Запрос отсутствует"));
        page.finish();
        return;
    }
    TCString body;
    req_->htmlView(body, mode);
    TZrXHtmlPage page(out, mode);
    page.title(caption(), ownerName());
    TCString fragment;
    {
        TZrXHtmlPage sig(fragment, mode, true);
        signerRows(sig, *this);
        TZrXConfirmedMode m = getConfirmedMode();
        if (lastIssuer()) {
            sig.section("Подтверждение");
            sig.row("Способ", m.confirmedByStart ? tr("стартовым сертификатом")
                              : m.confirmedBySelf ? tr("действующим сертификатом владельца")
                                                  : tr("сертификатом другого владельца"));
            if (!m.confirmedByStart) sig.row("Досрочная смена", m.isPretermChanged ? tr("да") : tr("нет"));
        }
        sig.rawHtml("");
    }
    out += fragment;
    out += "<hr>\n";
    // the request's own page without its encoding line
    int start = body.pos('\n');
    out += start >= 0 ? body.sub(static_cast<size_t>(start) + 1) : body;
}

void TZrXRevokedCert::htmlView(TCString& out, int mode, const char* caption) const {
    TZrXHtmlPage page(out, mode, true);
    if (caption && *caption) page.title(TCString(caption));
    page.section("Отзываемый сертификат");
    if (!ownerName.isEmpty()) page.row("Владелец", ownerName);
    page.rowText(tr("Издатель"), issuer.text());
    page.row("Серийный номер", serialStr());
    page.row("Причина", getRevokedReason(reason));
    page.row("Дата отзыва", TCASN1Time(revocationTime).localText());
    if (invalidityTime) page.row("Дата компрометации", TCASN1Time(invalidityTime).localText());
    page.finish();
}

void TZrXRevReq::htmlView(TCString& out, int mode) const {
    out.clear();
    TZrXHtmlPage page(out, mode);
    page.title(caption(), ownerName());
    if (!entry_) {
        page.note(tr("Запрос отсутствует"));
        page.finish();
        return;
    }
    page.section("Запрос");
    page.row("Причина", getRevokedReason(entry_->reason));
    page.row("Дата отзыва", TCASN1Time(entry_->revocationTime).localText());
    page.row("Серийный номер сертификата", entry_->serialStr());
    if (!cms_) page.row("Подпись", tr("запрос не подписан"));
    signerRows(page, *this);
    page.finish();
}

void TZrXCrl::renderHtml(TCString& out, int mode, bool withEntries) const {
    out.clear();
    TZrXHtmlPage page(out, mode);
    if (!crl_) {
        page.note(tr("Список отсутствует"));
        page.finish();
        return;
    }
    page.title(caption(), ownerName());
    int64_t next = nextUpdate();
    if (next) {
        bool current = TCASN1Time::now() <= next;
        page.status(current ? tr("Список актуален") : tr("Срок действия списка истёк"), current);
    }
    page.section("Издатель");
    page.nameRows(*getIssuer());
    page.section("Список");
    TCString num = crlNumber();
    if (!num.isEmpty()) page.row("Номер списка", num);
    page.row("Дата выпуска", TCASN1Time(thisUpdate()).localText());
    if (next) page.row("Следующее обновление", TCASN1Time(next).localText());
    const X509_ALGOR* alg = nullptr;
    X509_CRL_get0_signature(crl_, nullptr, &alg);
    page.row("Алгоритм подписи", zrxSigAlgText(alg));
    TCASN1OctetString aki = keyID();
    if (!aki.isEmpty()) page.row("Идентификатор ключа издателя", aki.toHex(true));
    page.row("Отозванных сертификатов", TCString(static_cast<int64_t>(numRev()), 10));
    page.extensionRows(TX509v3ExtList(X509_CRL_get0_extensions(crl_)));
    int n = numRev();
    if (n > 0 && withEntries) {
        const char* border = page.print() ? "1" : "0";
        page.rawHtml("");
        out.appendf("<table width=\"100%%\" border=\"%s\" cellspacing=\"0\" cellpadding=\"2\">\n", border);
        out.appendf("<tr><th>№</th><th>%s</th><th>%s</th><th>%s</th></tr>\n",
                    zrxHtmlEscape(tr("Серийный номер").c_str()).c_str(),
                    zrxHtmlEscape(tr("Дата отзыва").c_str()).c_str(), zrxHtmlEscape(tr("Причина").c_str()).c_str());
        for (int i = 0; i < n; ++i) {
            std::unique_ptr<TZrXRevokedCert> e(revokedAt(i));
            if (!e) continue;
            out.appendf("<tr><td>%d</td><td>%s</td><td>%s</td><td>%s</td></tr>\n", i + 1,
                        zrxHtmlBreakable(e->serialStr()).c_str(), TCASN1Time(e->revocationTime).localText().c_str(),
                        zrxHtmlEscape(getRevokedReason(e->reason).c_str()).c_str());
        }
        out += "</table>\n";
    } else if (n > 0) {
        page.note(
            tr("Список отозванных сертификатов слишком велик для показа; выберите \"Показать список элементов\"."));
    }
    page.finish();
}
