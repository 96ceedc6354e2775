#include "platform/core/x509/Asn1Types.h"

#include <openssl/asn1.h>

#include <cstring>
#include <ctime>

using namespace zrx::x509;

// ---- octet strings ----

TCASN1OctetString::TCASN1OctetString(const ASN1_OCTET_STRING* os) {
    if (os) assign(ASN1_STRING_get0_data(os), static_cast<size_t>(ASN1_STRING_length(os)));
}

void TCASN1OctetString::assign(const void* data, size_t len) {
    if (!data || len == 0) {
        bytes_.clear();
        return;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.assign(p, p + len);
}

TCString TCASN1OctetString::toHex(bool separators) const {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(bytes_.size() * 3);
    for (size_t i = 0; i < bytes_.size(); ++i) {
        if (separators && i) s += ':';
        s += digits[bytes_[i] >> 4];
        s += digits[bytes_[i] & 15];
    }
    return TCString(std::move(s));
}

static int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

KResult TCASN1OctetString::fromHex(const char* text) {
    std::vector<uint8_t> out;
    if (!text) return kErrBadValue;
    int hi = -1;
    for (const char* p = text; *p; ++p) {
        char c = *p;
        if (c == ' ' || c == ':' || c == '\t' || c == '-') {
            if (hi >= 0) return kErrBadValue;  // separators only between pairs
            continue;
        }
        int d = hexDigit(c);
        if (d < 0) return kErrBadValue;
        if (hi < 0) {
            hi = d;
        } else {
            out.push_back(static_cast<uint8_t>(hi * 16 + d));
            hi = -1;
        }
    }
    if (hi >= 0) return kErrBadValue;
    bytes_ = std::move(out);
    return 0;
}

ASN1_OCTET_STRING* TCASN1OctetString::toAsn1() const {
    if (bytes_.empty()) return nullptr;
    ASN1_OCTET_STRING* os = ASN1_OCTET_STRING_new();
    if (os && !ASN1_OCTET_STRING_set(os, bytes_.data(), static_cast<int>(bytes_.size()))) {
        ASN1_OCTET_STRING_free(os);
        return nullptr;
    }
    return os;
}

KResult TCIdentifier::parse(const char* text) {
    TCASN1OctetString tmp;
    if (!text || !*text) return kErrBadValue;
    KResult rc = tmp.fromHex(text);
    if (failed(rc) || tmp.isEmpty()) return kErrBadValue;
    assign(tmp.data(), tmp.length());
    return 0;
}

// ---- times ----

// Days from civil date (proleptic Gregorian), valid far beyond 2038.
static int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

static void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

int64_t zrxTimeFromFields(int year, int month, int day, int hour, int minute, int second) {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
           minute * 60 + second;
}

void zrxTimeToFields(int64_t t, int& year, int& month, int& day, int& hour, int& minute, int& second) {
    int64_t days = t / 86400;
    int64_t rem = t % 86400;
    if (rem < 0) {
        rem += 86400;
        --days;
    }
    civilFromDays(days, year, month, day);
    hour = static_cast<int>(rem / 3600);
    minute = static_cast<int>(rem % 3600 / 60);
    second = static_cast<int>(rem % 60);
}

bool TCASN1Time::assign(const ASN1_TIME* t) {
    set_ = false;
    t_ = 0;
    if (!t) return false;
    struct tm tm;
    memset(&tm, 0, sizeof(tm));
    if (ASN1_TIME_to_tm(t, &tm) != 1) return false;
    t_ = zrxTimeFromFields(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    set_ = true;
    return true;
}

int64_t TCASN1Time::now() { return static_cast<int64_t>(::time(nullptr)); }

TCString TCASN1Time::text(bool withTime) const {
    if (!set_) return TCString();
    int y, mo, d, h, mi, s;
    zrxTimeToFields(t_, y, mo, d, h, mi, s);
    if (!withTime) return TCString::format("%02d.%02d.%04d", d, mo, y);
    return TCString::format("%02d.%02d.%04d %02d:%02d:%02d", d, mo, y, h, mi, s);
}

TCString TCASN1Time::localText(bool withTime) const {
    if (!set_) return TCString();
    time_t t = static_cast<time_t>(t_);
    struct tm tm;
    if (static_cast<int64_t>(t) != t_ || !localtime_r(&t, &tm)) return text(withTime);
    if (!withTime) return TCString::format("%02d.%02d.%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
    return TCString::format("%02d.%02d.%04d %02d:%02d:%02d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour,
                            tm.tm_min, tm.tm_sec);
}

TCString TCASN1Time::generalized() const {
    int y, mo, d, h, mi, s;
    zrxTimeToFields(t_, y, mo, d, h, mi, s);
    return TCString::format("%04d%02d%02d%02d%02d%02dZ", y, mo, d, h, mi, s);
}

ASN1_TIME* TCASN1Time::toAsn1() const {
    if (!set_) return nullptr;
    int y, mo, d, h, mi, s;
    zrxTimeToFields(t_, y, mo, d, h, mi, s);
    if (y < 0 || y > 9999) return nullptr;
    TCString text;
    if (y >= 1950 && y < 2050) text = TCString::format("%02d%02d%02d%02d%02d%02dZ", y % 100, mo, d, h, mi, s);
    else text = generalized();
    ASN1_TIME* at = ASN1_TIME_new();
    if (at && !ASN1_TIME_set_string(at, text.c_str())) {
        ASN1_TIME_free(at);
        return nullptr;
    }
    return at;
}
