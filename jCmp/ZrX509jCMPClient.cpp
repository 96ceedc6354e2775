#include "jCmp/ZrX509jCMPClient.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/core/config/CfgMacros.h"
#include "platform/core/x509/ZrXErrors.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"

const char* const TCjCMPClient::kContentType = "application/json; charset=utf-8";
const char* const TCjCMPClient::kDumpFolder = "";

namespace {

KResult transportCode(uint32_t number) { return (number & 0xFFFFFu) | JCMP_E_BASE; }

// The framework's messages end their first line with "\r\n": the last
// carriage return and the character after it become ". ".
TCString oneLine(const std::string& message) {
    std::string m = message;
    const size_t cr = m.rfind('\r');
    if (cr != std::string::npos && cr + 1 < m.size()) m.replace(cr, 2, ". ");
    return TCString(m);
}

// Date and time with zone: local time with its offset, or UTC with "Z".
TCString textDateTimeZ(int64_t t, bool utc) {
    const TCDateTime d = utc ? gmTimeOf(t) : localTimeOf(t);
    TCString s = TCString::format("%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
    if (utc) {
        s += "Z";
    } else {
        const int64_t offset = fromGmTime(d) - t;
        const int64_t a = offset < 0 ? -offset : offset;
        s.appendf("%c%02d:%02d", offset < 0 ? '-' : '+', int(a / 3600), int(a / 60 % 60));
    }
    return s;
}

TCString facilityText(uint32_t code) { return jcmpErrorText(code); }

void registerFacility() {
    static std::once_flag once;
    std::call_once(once, [] { KRTL_AddFacilityMessages(KFAC_JCMP, facilityText, "jCMP"); });
}

}  // namespace

// --- codes and URL parts

bool jcmpParseCode(const char* text, uint32_t& code) {
    if (!text || !*text) return false;
    const char* p = text;
    uint64_t v = 0;
    int base = 10;
    bool negative = false;
    if (p[0] == '$') {
        base = 16;
        ++p;
    } else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    if (!*p) return false;
    for (; *p; ++p) {
        int digit;
        if (*p >= '0' && *p <= '9') digit = *p - '0';
        else if (base == 16 && *p >= 'a' && *p <= 'f') digit = *p - 'a' + 10;
        else if (base == 16 && *p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
        else return false;
        v = v * uint64_t(base) + uint64_t(digit);
        if (v > 0xFFFFFFFFull) return false;
    }
    if (negative) {
        if (v > 0x80000000ull) return false;
        code = uint32_t(-int64_t(v));
    } else {
        code = uint32_t(v);
    }
    return true;
}

TCString jcmpEncodePathPart(const char* text) {
    static const char hex[] = "0123456789ABCDEF";
    TCString out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p) {
        const unsigned char c = *p;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// --- reading the reply

const TJSONValue* jsonFindValue(const TJSONValue* root, const char* path, TCString* errorText) {
    const TJSONValue* v = root ? root->FindValue(path ? path : "") : nullptr;
    if (!v && errorText) errorText->printf(tr("Ошибка получения значения поля '%s'!").c_str(), path ? path : "");
    return v;
}

bool jsonGetString(const TJSONValue* root, const char* path, TCString& out, const char* def, TCString* errorText) {
    const TJSONValue* v = jsonFindValue(root, path, errorText);
    if (!v) {
        out = def ? def : "";
        return false;
    }
    out = v->Value();
    if (TCString(out).lower() == "null") out.clear();
    return true;
}

bool jsonGetBool(const TJSONValue* root, const char* path, bool def, TCString* errorText) {
    const TJSONValue* v = jsonFindValue(root, path, errorText);
    if (!v) return def;
    return TCString(v->Value()).lower() == "true";
}

int32_t jsonGetInt(const TJSONValue* root, const char* path, int32_t def, TCString* errorText) {
    const TJSONValue* v = jsonFindValue(root, path, errorText);
    if (!v) return def;
    uint32_t n = 0;
    const std::string text = v->Value();
    if (text.empty() || !jcmpParseCode(text.c_str(), n)) return def;
    return int32_t(n);
}

// --- the client

TCjCMPClient::TCjCMPClient(const char* baseURL) : baseURL_(baseURL ? baseURL : "") {
    registerFacility();
    http_.ProtocolVersion = pv1_1;
    http_.HTTPOptions = hoForceEncodeParams | hoNoProtocolErrorException | hoWantProtocolErrorContent;
}

TCjCMPClient::~TCjCMPClient() = default;

void TCjCMPClient::setBaseURL(const char* url) {
    baseURL_ = url ? url : "";
    // An empty address stays empty: exchanges then report that the session is not set up.
    if (!baseURL_.isEmpty() && !baseURL_.endsWith("/")) baseURL_ += "/";
}

void TCjCMPClient::prepare() {
    request_.Clear();
    response_.Clear();
    lastReply_.reset();
    http_.Request.ContentType = kContentType;
    lastText_.clear();
}

void TCjCMPClient::setOperation(const TCString& name, const char* method) {
    opName_ = name;
    method_ = method;
    requestURL_ = baseURL_ + name;
}

void TCjCMPClient::applyTimeouts() {
    int64_t sec = getGlobalIntValue(JCMP_TIMEOUT_NAME, 0);
    if (sec <= 0) sec = JCMP_DEFAULT_TIMEOUT_SEC;
    sec = std::clamp<int64_t>(sec, JCMP_MIN_TIMEOUT_SEC, 24 * 3600);
    http_.ConnectTimeout = int(sec * 1000);
    http_.ReadTimeout = int(sec * 1000);
    // The user waits no longer than the time-out for the whole exchange,
    // however the reply trickles in.
    http_.TotalTimeout = int(sec * 1000);
}

bool TCjCMPClient::send() {
    if (baseURL_.isEmpty()) {
        report(JCMP_E_NOT_INITIALIZED, jcmpErrorText(JCMP_E_NOT_INITIALIZED).c_str());
        return false;
    }
    applyTimeouts();
    try {
        if (std::strcmp(method_, "POST") == 0) http_.Post(requestURL_.str(), request_, response_);
        else http_.Get(requestURL_.str(), response_);
    } catch (const EIdSocketError& e) {
        report(transportCode(uint32_t(e.LastError())), oneLine(e.Message()).c_str());
        return false;
    } catch (const EIdException& e) {
        report(JCMP_E_INDY_EXCEPTION, oneLine(e.Message()).c_str());
        return false;
    }
    return true;
}

KResult TCjCMPClient::statusOverride(KResult code, int status) {
    if (isFailure(code) || status <= 399) return code;
    // The service said success but the transport did not: report the failure
    // so that the log, the last text and the last code agree with the result.
    const KResult failure = transportCode(uint32_t(status));
    TCString text = jcmpErrorText(failure);
    if (!lastText_.isEmpty()) text += ". " + lastText_;
    return report(failure, text.c_str());
}

KResult TCjCMPClient::parseReply(const std::string& body, int status) {
    lastReply_.reset();
    if (body.empty()) return report(transportCode(uint32_t(status)), tr("Cервер вернул пустую строку").c_str());
    std::unique_ptr<TJSONValue> parsed = TJSONObject::ParseJSONValue(body);
    const TJSONObject* obj = asJSONObject(parsed.get());
    if (!obj || obj->Count() == 0) {
        if (status == 200) return report(JCMP_E_PARSE, tr("Ошибка разбора JSON-объекта в отклике сервера").c_str());
        const KResult code = transportCode(uint32_t(status));
        return report(code, jcmpErrorText(code).c_str());
    }
    lastReply_ = std::move(parsed);
    const TJSONObject* result = asJSONObject(obj->GetValue("result"));
    if (!result) return report(JCMP_E_PARSE, tr("В отклике отсутсвует результат операции").c_str());
    const TJSONValue* codeValue = result->GetValue("code");
    if (!codeValue) return report(JCMP_E_PARSE, tr("В отклике отсутсвует код операции").c_str());
    uint32_t code = 0;
    if (!jcmpParseCode(codeValue->Value().c_str(), code))
        return report(JCMP_E_PARSE, tr("Ошибка преобразования кода операции в отклике сервера").c_str());
    const TJSONValue* message = result->GetValue("message");
    if (!message) return report(code, tr("В отклике отсутствует текст сообщения").c_str());
    return report(code, message->IsNull() ? "" : message->Value().c_str());
}

TCString TCjCMPClient::registerOptionsText(const uint32_t* options) {
    if (!options || *options == 0) return TCString();
    const bool ignore = (*options & JCMP_OPT_IGNORE_SIMILAR) != 0;
    const bool immediately = (*options & JCMP_OPT_SEND_IMMEDIATELY) != 0;
    TCString s(",\"options\":{");
    if (ignore) s += "\"ignoreSimilar\":\"true\"";
    if (ignore && immediately) s += ",";
    if (immediately) s += "\"sendImmediately\":\"true\"";
    s += "}";
    return s;
}

TCString TCjCMPClient::issueOptionsText(const TZrXMKCertPars* p) {
    if (!p) return TCString();
    TCString s;
    if (p->flags & 1) s += "\"fullChain\":\"true\",";
    if (p->flags & 2) s += "\"includeServiceCerts\":\"true\",";
    if (p->flags & 4) s += "\"ignoreSimilar\":\"true\",";
    if (p->start != 0) s.appendf("\"notBefore\":\"%s\",", textDateTimeZ(p->start, false).c_str());
    if (p->end != 0) {
        if (p->flags & 0x100) s.appendf("\"lifeDays\":\"%lld\",", static_cast<long long>(p->end));
        else s.appendf("\"notAfter\":\"%s\",", textDateTimeZ(p->end, true).c_str());
    }
    if (s.endsWith(",")) s.setLength(s.length() - 1);
    return TCString::format(",\"options\":{%s}", s.c_str());
}

TCString TCjCMPClient::bodyText(int type, const void* data, size_t length, const TCString& options) const {
    const std::string b64 = base64_.EncodeBytesToString(data, length);
    return TCString::format("{\"x509object\":{\"type\":\"%d\", \"base64object\" :\"%s\" }%s}", type, b64.c_str(),
                            options.c_str());
}

KResult TCjCMPClient::registerData(const void* data, size_t length, int type, const uint32_t* options) {
    prepare();
    request_.WriteString(bodyText(type, data, length, registerOptionsText(options)).str());
    setOperation("register", "POST");
    if (!send()) return lastCode_;
    return statusOverride(parseReply(response_.DataString()));
}

KResult TCjCMPClient::registerObject(const TCASN1Base* object, const uint32_t* options) {
    std::vector<uint8_t> der;
    if (!object || isFailure(object->encode(der)) || der.empty()) {
        KV_HLogFmtText(0xC080000Cu, tr("Ошибка DER-кодирования %s").c_str(),
                       object ? object->gi_caption().c_str() : "");
        return 0xC080000Cu;
    }
    return registerData(der.data(), der.size(), object->getClass(), options);
}

KResult TCjCMPClient::issue(int type, const void* data, size_t length, int* replyType, void* outBuffer,
                            size_t* outLength, const TZrXMKCertPars* parameters) {
    prepare();
    request_.WriteString(bodyText(type, data, length, issueOptionsText(parameters)).str());
    setOperation("issue", "POST");
    if (!send()) return lastCode_;
    const KResult code = parseReply(response_.DataString());
    if (isFailure(code)) return code;

    const TCString prefix = tr("Обработка отклика издания сертификатата, id запроса:");
    TCString err;
    const int32_t rtype = jsonGetInt(lastReply_.get(), "x509object.type", 0, &err);
    if (replyType) *replyType = rtype;
    if (rtype == 0) return reportf(JCMP_E_MISSING_VALUE, "%s. %s!", prefix.c_str(), err.c_str());
    TCString b64;
    if (!jsonGetString(lastReply_.get(), "x509object.base64object", b64, "", &err))
        return reportf(JCMP_E_MISSING_VALUE, "%s. %s!", prefix.c_str(), err.c_str());
    const std::vector<uint8_t> bytes = TBase64Encoding::DecodeStringToBytes(b64.str());
    if (bytes.empty()) return reportf(JCMP_E_PARSE, "%s. Ошибка декодирования принятых данных!", prefix.c_str());
    if (!outLength || bytes.size() > *outLength || !outBuffer) {
        if (outLength) *outLength = bytes.size();
        return reportf(JCMP_E_BUFFER_TOO_SMALL, "%s. Размер буфера данных ментше требуемого (%d)!", prefix.c_str(),
                       int(bytes.size()));
    }
    std::memcpy(outBuffer, bytes.data(), bytes.size());
    *outLength = bytes.size();
    return statusOverride(code);
}

KResult TCjCMPClient::getStatus(int type, const char* keyID, int* status, TCString* description) {
    prepare();
    setOperation(TCString::format("status/%d/%s", type, jcmpEncodePathPart(keyID).c_str()), "GET");
    if (!send()) return lastCode_;
    const KResult code = parseReply(response_.DataString());
    if (isFailure(code)) return code;
    TCString err;
    const int32_t value = jsonGetInt(lastReply_.get(), "objInfo.status.value", 0, &err);
    if (status) *status = value;
    if (value == 0) return report(JCMP_E_MISSING_VALUE, err.c_str());
    if (description) {
        TCString text;
        if (!jsonGetString(lastReply_.get(), "objInfo.status.description", text, "", &err))
            return report(JCMP_E_MISSING_VALUE, err.c_str());
        *description = text;
    }
    return statusOverride(code);
}

KResult TCjCMPClient::load(int type, const char* keyID, void* buffer, size_t* length) {
    prepare();
    const TCString id = jcmpEncodePathPart(keyID);
    setOperation(TCString::format("load/%d/%s", type, id.c_str()), "GET");
    if (!send()) return lastCode_;
    const KResult code = parseReply(response_.DataString());
    if (isFailure(code)) return code;

    const TCString caption = getZrXCaption(type, false);
    const char* shownID = keyID ? keyID : "";
    TCString err, b64;
    if (!jsonGetString(lastReply_.get(), "x509object.base64object", b64, "", &err))
        return reportf(JCMP_E_MISSING_VALUE, "Загрузка %s,id:%s. %s!", caption.c_str(), shownID, err.c_str());
    const std::vector<uint8_t> bytes = TBase64Encoding::DecodeStringToBytes(b64.str());
    if (bytes.empty())
        return reportf(JCMP_E_PARSE, "Загрузка %s,id:%s. Ошибка декодирования принятых данных!", caption.c_str(),
                       shownID);
    if (!length || bytes.size() > *length || !buffer) {
        if (length) *length = bytes.size();
        return reportf(JCMP_E_BUFFER_TOO_SMALL, "Загрузка %s,id:%s. Размер буфера данных меньше требуемого (%d)!",
                       caption.c_str(), shownID, int(bytes.size()));
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    *length = bytes.size();
    return statusOverride(code);
}

KResult TCjCMPClient::loadObject(TZrX509Base* object, const char* keyID) {
    if (!object) return report(JCMP_E_BAD_PARAMETER, jcmpErrorText(JCMP_E_BAD_PARAMETER).c_str());
    std::vector<uint8_t> buffer(16384);
    size_t length = buffer.size();
    if (isFailure(load(object->getClass(), keyID, buffer.data(), &length))) return lastCode_;
    if (zrx::x509::failed(object->decode(buffer.data(), length))) {
        reportf(0xC080000Du, "Загрузка %s, id:%s. Ошибка DER-кодирования принятого объекта!",
                object->gi_caption().c_str(), keyID ? keyID : "");
        return lastCode_;
    }
    const int32_t status = jsonGetInt(lastReply_.get(), "status.code", 0, nullptr);
    if (status != 0) object->setStatus(uint32_t(status));
    return lastCode_;
}

KResult TCjCMPClient::loadChain(TCXCertsChain* chain, const char* keyID) {
    if (!chain) return report(JCMP_E_BAD_PARAMETER, jcmpErrorText(JCMP_E_BAD_PARAMETER).c_str());
    TZrXPkcs7 p7;
    p7.setClass(zcPkcs7);
    const KResult rc = loadObject(&p7, keyID);
    if (isFailure(rc)) return rc;
    chain->fromPKCS7(p7);
    int pos = 1;
    const char* id = keyID ? keyID : "";
    if (chain->isBroken(&pos)) {
        reportf(0xC0800031u, "Проверка загруженной цепочки сертификата, id:%s. %s!", id,
                ZrXGetErrorText(0xC0800031u).c_str());
        return 0xC0800031u;
    }
    const KResult vr = chain->verify(&pos, nullptr, nullptr);
    if (isFailure(vr)) {
        const TZrX509* cert = chain->at(pos - 1);
        reportf(vr, "Проверка сертификата ключей владельца %s,id:%s. %s!", cert ? cert->ownerName().c_str() : "",
                cert ? cert->getKeyIDStr().c_str() : "", ZrXGetErrorText(vr).c_str());
    }
    return vr;
}

KResult TCjCMPClient::getIssuingRestrictions(TCFlags<unsigned int>* flags) {
    prepare();
    setOperation("issuingRestrictions", "GET");
    if (!send()) return lastCode_;
    const int status = http_.ResponseCode();
    if (status != 200)
        return report(transportCode(uint32_t(status)), tr("Ошибка выполнения запроса на сервере").c_str());
    const std::string& body = response_.DataString();
    if (body.empty()) return report(transportCode(uint32_t(status)), tr("Cервер вернул пустую строку").c_str());
    std::unique_ptr<TJSONValue> parsed = TJSONObject::ParseJSONValue(body);
    const TJSONObject* obj = asJSONObject(parsed.get());
    if (!obj || obj->Count() == 0)
        return report(JCMP_E_PARSE, tr("Ошибка разбора JSON-объекта в отклике сервера").c_str());
    if (flags) {
        flags->set(JCMP_IR_ENABLED, jsonGetBool(obj, "enabled", false, nullptr));
        flags->set(JCMP_IR_ACCEPT_START, jsonGetBool(obj, "acceptStartConfirmed", false, nullptr));
        flags->set(JCMP_IR_ACCEPT_SELF, jsonGetBool(obj, "acceptSelfConfirmed", false, nullptr));
        flags->set(JCMP_IR_ACCEPT_PRETERM, jsonGetBool(obj, "acceptPretermChanged", false, nullptr));
    }
    return 0;
}

// --- reporting

KResult TCjCMPClient::report(KResult code, const char* text) {
    lastCode_ = code;
    if (text && *text) lastText_ = text;
    else if (lastText_.isEmpty() && isFailure(code)) lastText_ = kvdMessageByCode(code);
    logResult();
    if (flags.isSet(WRITE_DUMP)) dumpExchange();
    return code;
}

KResult TCjCMPClient::reportf(KResult code, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const TCString text = TCString::vformat(tr(format).c_str(), args);
    va_end(args);
    if (!isFailure(code)) KV_HLogFmtText(code, "%s", text.c_str());
    return report(code, text.c_str());
}

void TCjCMPClient::logResult() {
    if (isFailure(lastCode_))
        KV_HLogFmtText(lastCode_, tr("Ошибка выполнения запроса '%s': %s").c_str(), operationText(false).c_str(),
                       lastText_.c_str());
    else if (flags.isSet(LOG_SUCCESS))
        KV_HLogFmtText(lastCode_, tr("Результат выполнения запроса '%s': %s").c_str(), operationText(true).c_str(),
                       lastText_.c_str());
}

TCString TCjCMPClient::operationText(bool withMethod) const {
    if (withMethod) return TCString::format("%s %s", method_, opName_.c_str());
    static const struct {
        const char* prefix;
        const char* text;
    } rows[] = {
        {"register", "Зарегистрировать запрос"},
        {"issue", "Издать сертификат"},
        {"status", "Получить статус"},
        {"load", "Получить объект"},
    };
    for (const auto& r : rows)
        if (opName_.startsWith(r.prefix)) return tr(r.text);
    return opName_;
}

void TCjCMPClient::dumpExchange() {
    const TCString file = fileNameFromDate("jCMPDump", kDumpFolder, "txt");
    FILE* f = std::fopen(file.c_str(), "a+");
    if (!f) return;
    std::fprintf(f, "===================================%s===================================\n",
                 currentTime().c_str());
    std::fprintf(f, "** URL:%s\n", requestURL_.c_str());
    std::fprintf(f, "** Request:\n%s\n", operationText(true).c_str());
    for (const std::string& h : http_.Request.RawHeaders) std::fprintf(f, "%s\n", h.c_str());
    if (request_.Size() > 0) std::fprintf(f, "%s\n", request_.DataString().c_str());
    std::fprintf(f, "\n** Response:\n");
    for (const std::string& h : http_.Response.RawHeaders) std::fprintf(f, "%s\n", h.c_str());
    if (response_.Size() > 0) std::fprintf(f, "%s\n", response_.DataString().c_str());
    std::fprintf(f, "%s\n=================================End=================================\n \n",
                 http_.ResponseText().c_str());
    std::fclose(f);
}
