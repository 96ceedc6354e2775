#include "jCmp/ZrXCspJCMPClient.h"

#include <memory>
#include <vector>

#include "platform/core/x509/CertsChain.h"
#include "platform/core/x509/Pkcs7.h"
#include "platform/core/x509/RevReq.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/TCStringList.h"
#include "platform/runtime/Translation.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"

namespace {

constexpr KResult kNoRequest = KR_E_NOTFOUND;  // no container content, or the request is missing
constexpr KResult kNoOwnCertificate = KR_E_NOKEYS;
constexpr KResult kNothingIssued = KR_E_EMPTY;  // empty issued object, or the chain lacks the certificate
constexpr KResult kRevocationSigned = 0x40800014u;

// The kind being sent exists only in plain form.
bool plainOnly(unsigned kinds) {
    return (kinds & JCMP_KIND_KA) ? (kinds & JCMP_KIND_KA_PLAIN) != 0 : (kinds & JCMP_KIND_SIGN_PLAIN) != 0;
}

}  // namespace

TZrXCspJCMPClient::TZrXCspJCMPClient(TZrX509Csp* container) : TCjCMPClient(""), csp_(container) {}

TZrXCspJCMPClient::~TZrXCspJCMPClient() { tag_ = 0; }

bool TZrXCspJCMPClient::hasContent() const { return csp_ && !csp_->empty(); }

unsigned TZrXCspJCMPClient::requestKinds() const {
    if (!hasContent()) return 0;
    auto present = [this](int kind) { return !isFailure(csp_->ZrX_GetX509Object(nullptr, nullptr, kind)); };
    unsigned kinds = 0;
    if (present(kObjSignedSignRequest)) kinds |= JCMP_KIND_SIGN;
    else if (present(kObjSignRequest)) kinds |= JCMP_KIND_SIGN | JCMP_KIND_SIGN_PLAIN;
    if (present(kObjSignedKARequest)) kinds |= JCMP_KIND_KA;
    else if (present(kObjKARequest)) kinds |= JCMP_KIND_KA | JCMP_KIND_KA_PLAIN;
    return kinds;
}

KResult TZrXCspJCMPClient::loadRequest(unsigned kinds, void* buffer, size_t* length, TCString* kindText) {
    TCString text = tr("ЭП");
    int kind = (kinds & JCMP_KIND_SIGN_PLAIN) ? kObjSignRequest : kObjSignedSignRequest;
    if (kinds & JCMP_KIND_KA) {
        text = tr("связи");
        kind = (kinds & JCMP_KIND_KA_PLAIN) ? kObjKARequest : kObjSignedKARequest;
    }
    if (kindText) *kindText = text;

    KResult rc = kNoRequest;
    uint32_t len = length && *length <= UINT32_MAX ? uint32_t(*length) : UINT32_MAX;
    if ((kinds & ~(JCMP_KIND_SIGN_PLAIN | JCMP_KIND_KA_PLAIN)) & requestKinds()) {
        rc = csp_->ZrX_GetX509Object(buffer, length ? &len : nullptr, kind);
        if (length) *length = len;
    }
    if (isFailure(rc))
        KV_HLogFmtText(rc, tr("Загрузка запроса на сертификат ключей %s, владелец \"%s\". %s!").c_str(), text.c_str(),
                       csp_ ? csp_->commonName().c_str() : "", kvdMessageByCode(rc).c_str());
    return rc;
}

KResult TZrXCspJCMPClient::sendRequest(const TCASN1OctetString& keyID, bool allowImmediate) {
    const TCString id = keyID.toHex(true);
    TZrX509ReqCtx* req = csp_ ? csp_->container()->findCertReq(keyID, true) : nullptr;
    if (!req) {
        KV_HLogFmtText(kNoRequest,
                       tr("В текущем контейнере отсутствует требуемый запрос на сертификат c ID ключа:%s!").c_str(),
                       id.c_str());
        return kNoRequest;
    }
    std::vector<uint8_t> data(JCMP_REQUEST_BUFFER);
    size_t length = data.size();
    if (KResult rc = req->getReqData(data.data(), &length); isFailure(rc)) return rc;

    const int type = req->getType() != 0 ? JCMP_TYPE_SIGNED_REQUEST : JCMP_TYPE_REQUEST;
    if (allowImmediate && type == JCMP_TYPE_SIGNED_REQUEST && canIssueAtOnce(data.data(), length)) {
        const TCString text = TCString::format(tr(", ID ключа:%s,").c_str(), id.c_str());
        return issueAndStore(data.data(), length, text.c_str());
    }
    const uint32_t options = 0;
    const KResult rc = registerData(data.data(), length, type, &options);
    if (!isFailure(rc))
        KV_HLogFmtText(rc,
                       tr("Запрос на сертификат ключей владельца %s, ID:%s, успешно передан для дальнейшей "
                          "регистрации.")
                           .c_str(),
                       csp_->commonName().c_str(), id.c_str());
    return rc;
}

KResult TZrXCspJCMPClient::sendRequestOfKind(unsigned kinds) {
    std::vector<uint8_t> data(JCMP_REQUEST_BUFFER);
    size_t length = data.size();
    TCString kindText;
    if (KResult rc = loadRequest(kinds, data.data(), &length, &kindText); isFailure(rc)) return rc;

    // A signed request goes with type 8 even when the other kind is only plain.
    const int type = plainOnly(kinds) ? JCMP_TYPE_REQUEST : JCMP_TYPE_SIGNED_REQUEST;
    if (type == JCMP_TYPE_SIGNED_REQUEST && (kinds & JCMP_KIND_ISSUE_AT_ONCE) && canIssueAtOnce(data.data(), length))
        return issueAndStore(data.data(), length, kindText.c_str());

    const uint32_t options = 0;
    const KResult rc = registerData(data.data(), length, type, &options);
    if (!isFailure(rc))
        KV_HLogFmtText(rc,
                       tr("Запрос на сертификат ключей  %s, владелец \"%s\", успешно отправлен на службу "
                          "сертификатов, расположенную по адресу: %s.")
                           .c_str(),
                       kindText.c_str(), csp_->commonName().c_str(), baseURL().c_str());
    return rc;
}

KResult TZrXCspJCMPClient::sendRequests(unsigned kinds) {
    if (!hasContent()) return kNoRequest;
    const unsigned present = requestKinds();
    if (!(kinds & (JCMP_KIND_SIGN | JCMP_KIND_KA))) kinds |= present;
    else
        // Whether a kind exists only in plain form is the container's fact,
        // not the caller's: keys that cannot sign their own successor's
        // request leave only the plain form.
        kinds |= present & (JCMP_KIND_SIGN_PLAIN | JCMP_KIND_KA_PLAIN);
    const unsigned others = kinds & ~(JCMP_KIND_SIGN | JCMP_KIND_KA);
    KResult rc = 0;
    if (kinds & JCMP_KIND_KA) rc = sendRequestOfKind(others | JCMP_KIND_KA);
    if (!isFailure(rc) && (kinds & JCMP_KIND_SIGN)) rc = sendRequestOfKind(others | JCMP_KIND_SIGN);
    return rc;
}

unsigned TZrXCspJCMPClient::getIssuingRestrictions() {
    if (restrictions_.value() == 0) TCjCMPClient::getIssuingRestrictions(&restrictions_);
    return restrictions_.value();
}

bool TZrXCspJCMPClient::canIssueAtOnce(const void* data, size_t length) {
    const TCFlags<unsigned int> r = getIssuingRestrictions();
    if (!r.isSet(JCMP_IR_ENABLED)) return false;
    TZrXSignedReq req;
    if (!data || zrx::x509::failed(req.decode(data, length))) return false;
    if (req.numCert() == 0) req.initCertList(getCspCertificateDefFunc, csp_);
    if (!req.lastIssuer()) return false;
    const TZrXConfirmedMode mode = req.getConfirmedMode();
    if (mode.confirmedByStart && !r.isSet(JCMP_IR_ACCEPT_START)) return false;
    if (mode.confirmedBySelf && !r.isSet(JCMP_IR_ACCEPT_SELF)) return false;
    if (mode.isPretermChanged && !r.isSet(JCMP_IR_ACCEPT_PRETERM)) return false;
    return true;
}

KResult TZrXCspJCMPClient::issueAndStore(const void* data, size_t length, const char* text) {
    // The request's own key: the reply must certify it to be stored.
    TZrXSignedReq signedRequest;
    const TZrX509Req* request =
        data && !zrx::x509::failed(signedRequest.decode(data, length)) ? signedRequest.request() : nullptr;

    TZrXMKCertPars pars;
    pars.flags = 1;  // full chain
    pars.start = 0;
    pars.end = 0;
    std::vector<uint8_t> issued(JCMP_ISSUED_BUFFER);
    size_t issuedLength = issued.size();
    int replyType = 0;
    KResult rc = issue(JCMP_TYPE_SIGNED_REQUEST, data, length, &replyType, issued.data(), &issuedLength, &pars);
    if (isFailure(rc)) return rc;
    if (issuedLength == 0) return report(kNothingIssued, nullptr);

    // Only a reply that holds the certificate of this request's key goes
    // into the container: CA certificates alone, or a certificate of
    // another key, would sit there as if this request had been granted.
    const TCString owner = csp_->commonName();
    TZrX509 single;
    TCXCertsChain chain;
    bool certified = false;
    KResult stored;
    if (replyType == JCMP_TYPE_CERTIFICATE) {
        stored = single.decode(issued.data(), issuedLength);
        certified = !isFailure(stored) && request && single.certifiesKeyOf(*request);
    } else {
        stored = chain.fromBin(issued.data(), issuedLength);
        for (int i = 0; !isFailure(stored) && request && i < chain.count() && !certified; ++i)
            certified = chain.at(i) && chain.at(i)->certifiesKeyOf(*request);
    }
    if (!isFailure(stored) && !certified) {
        KV_HLogFmtText(kNothingIssued,
                       tr("Ответ службы сертификатов на запрос на сертификат ключей %s, владелец \"%s\", не содержит "
                          "сертификата этих ключей. Ничего не сохранено, запрос оставлен в контейнере.")
                           .c_str(),
                       text ? text : "", owner.c_str());
        return kNothingIssued;
    }
    // Stored first: the user is told it was granted only once it is in the container.
    if (!isFailure(stored))
        stored = replyType == JCMP_TYPE_CERTIFICATE ? csp_->putStorageCertificate(issued.data(), issuedLength)
                                                    : csp_->saveCrtChain(&chain, false);
    if (isFailure(stored)) {
        KV_HLogFmtText(stored, tr("Сохранение в контейнере сертификата ключей %s, владелец \"%s\". %s!").c_str(),
                       text ? text : "", owner.c_str(), kvdMessageByCode(stored).c_str());
        return stored;
    }
    KV_HLogFmtText(rc,
                   tr("Запрос на сертификат ключей  %s, владелец \"%s\",успешно удовлетворен на службе "
                      "сертификатов, расположенной по адресу: %s.")
                       .c_str(),
                   text ? text : "", owner.c_str(), baseURL().c_str());
    return stored;
}

KResult TZrXCspJCMPClient::loadCertificates(TZrXLoadCounters* counters, unsigned flags) {
    if (!hasContent()) return kNoRequest;
    TZrXLoadCounters count;
    TCStringList ids;
    csp_->getReqsIDList(ids);
    KResult rc = 0;
    for (int i = 0; i < ids.count(); ++i) {
        const TCString id = ids.item(i);
        TZrX509ReqCtx* req = csp_->container()->getReq(id.c_str());
        if (!req) continue;
        ++count.requests;
        const TCString owner = req->request()->ownerName();
        const TCString kind = req->request()->getKindDescirption(false);
        // The request goes once its certificate is stored: what names it is kept.
        const TCString kindWord = req->request()->getKindDescirption(true);

        if (flags & JCMP_LOAD_ASK_STATUS) {
            int status = 0;
            TCString description;
            rc = getStatus(JCMP_TYPE_SIGNED_REQUEST, id.c_str(), &status, &description);
            if (isFailure(rc)) break;
            if (status != JCMP_STATUS_ISSUED) {
                rc = reportf(rc,
                             "Запрос на сертификат ключа %s, владелец \"%s\", имеет статус \"%s\". Загрузка "
                             "сертификата будет пропущена.",
                             kind.c_str(), owner.c_str(), description.c_str());
                continue;
            }
        }
        TCXCertsChain chain;
        rc = loadChain(&chain, id.c_str());
        if (isFailure(rc)) break;
        if (!chain.byKeyIDStr(id.c_str())) {
            rc = reportf(kNothingIssued, "В полученной цепочке отсутсвует требуемый сертификат с ID:%s.", id.c_str());
            continue;
        }
        rc = csp_->saveCrtChain(&chain, false);
        if (isFailure(rc)) {
            KV_HLogFmtText(rc, tr("Сохранение в контейнере цепочки сертификата с ID:%s, владелец \"%s\". %s!").c_str(),
                           id.c_str(), owner.c_str(), kvdMessageByCode(rc).c_str());
            break;
        }
        // What was stored is said: a run that went well is not a silent one.
        KV_HLogFmtText(rc,
                       tr("Сертификат ключа %s, владелец \"%s\", ID:%s, получен от службы регистрации и записан в "
                          "контейнер.")
                           .c_str(),
                       kindWord.c_str(), owner.c_str(), id.c_str());
        ++count.stored;
    }
    if (counters) *counters = count;
    return rc;
}

KResult TZrXCspJCMPClient::sendRevocation(const TZrX509* certificate, int reason, int64_t time) {
    return makeRevocation(certificate, reason, time, 0);
}

KResult TZrXCspJCMPClient::makeRevocation(const TZrX509* certificate, int reason, int64_t time1, int64_t time2) {
    if (!hasContent()) return kNoRequest;
    TCBaseUserKeysContext* keys = csp_->container();
    const TZrX509* own = csp_->getSelfCrt();
    if (!own) {
        KV_HLogFmtText(kNoOwnCertificate,
                       tr("В контейнере ключей владельца \"%s\" отсутствует действующий сертификат!").c_str(),
                       csp_->commonName().c_str());
        return kNoOwnCertificate;
    }
    const TZrX509* target = certificate ? certificate : own;
    // Another certificate of the container signs its own revocation when its
    // key is held here and can sign.
    const TZrX509* signer = own;
    if (certificate && certificate->keyID() != own->keyID()) {
        const TCPrivateEVPKey* held = keys->findPrivateKeyOf(*certificate);
        if (held && held->algorithm() != "X25519") signer = certificate;
    }

    const TCString owner = target->ownerName();
    const TCString serial = target->getSerialStr();
    TZrXRevReq req;
    const std::unique_ptr<TZrXRevokedCert> entry(target->makeRev(reason, time1, time2, true));
    if (entry) req.assign(*entry);
    req.assignCommonName(owner.c_str());
    zrx::crypto::PkeyPtr key = keys->signingKey(keys->findPrivateKeyOf(*signer));
    const KResult rc = !entry ? zrx::x509::kErrEmptyObject
                       : key  ? req.sign(*signer, key.get())
                              : zrx::container::kErrNoSigningKey;
    if (isFailure(rc)) {
        KV_HLogFmtText(rc, tr("Удостоверение запроса на отмену сертификата ключей владельца \"%s\", SN:%s").c_str(),
                       owner.c_str(), serial.c_str());
        return rc;
    }
    KV_HLogFmtText(
        kRevocationSigned,
        tr("Удостоверен запрос на отмену сертификата ключей владельца \"%s\", SN:%s, код причины - %s").c_str(),
        owner.c_str(), serial.c_str(), getRevokedReason(reason).c_str());
    const uint32_t options = 0;
    return registerObject(&req, &options);
}
