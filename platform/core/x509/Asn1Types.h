#pragma once
// Small ASN.1 value types of the X.509 layer: octet strings (key
// identifiers), times (64-bit seconds since 1970, UTC) and key identifiers.
#include <openssl/asn1.h>

#include <cstdint>
#include <vector>

#include "platform/core/x509/ZrXErrors.h"
#include "platform/runtime/TCString.h"

class TCASN1OctetString {
public:
    TCASN1OctetString() = default;
    TCASN1OctetString(const void* data, size_t len) { assign(data, len); }
    explicit TCASN1OctetString(const ASN1_OCTET_STRING* os);
    virtual ~TCASN1OctetString() = default;

    void assign(const void* data, size_t len);
    void clear() { bytes_.clear(); }
    const uint8_t* data() const { return bytes_.data(); }
    size_t length() const { return bytes_.size(); }
    bool isEmpty() const { return bytes_.empty(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

    // Upper-case hex; with separators a ':' goes between bytes.
    TCString toHex(bool separators = false) const;
    // Hex text (blanks and ':' allowed between digit pairs); kErrBadValue on bad text.
    KResult fromHex(const char* text);
    // A new ASN1_OCTET_STRING (caller frees) or null when empty.
    ASN1_OCTET_STRING* toAsn1() const;

    friend bool operator==(const TCASN1OctetString& a, const TCASN1OctetString& b) { return a.bytes_ == b.bytes_; }
    friend bool operator!=(const TCASN1OctetString& a, const TCASN1OctetString& b) { return a.bytes_ != b.bytes_; }
    friend bool operator<(const TCASN1OctetString& a, const TCASN1OctetString& b) { return a.bytes_ < b.bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// The string type the octet strings compare as.
using TCASN1String = TCASN1OctetString;

class TCASN1Time {
public:
    TCASN1Time() = default;
    explicit TCASN1Time(int64_t t) : t_(t), set_(true) {}
    explicit TCASN1Time(const ASN1_TIME* t) { assign(t); }
    virtual ~TCASN1Time() = default;

    // false (and no value) for a missing or malformed time.
    bool assign(const ASN1_TIME* t);
    void assign(int64_t t) {
        t_ = t;
        set_ = true;
    }
    bool isSet() const { return set_; }
    int64_t time() const { return t_; }
    // "ДД.ММ.ГГГГ ЧЧ:ММ:СС" in UTC (empty without a value); withTime false gives the date only.
    TCString text(bool withTime = true) const;
    // The same in the local time zone (what the views show).
    TCString localText(bool withTime = true) const;
    // "YYYYMMDDhhmmssZ" (GeneralizedTime form).
    TCString generalized() const;
    // A new ASN1_TIME (UTCTime up to 2049, GeneralizedTime after); caller frees.
    ASN1_TIME* toAsn1() const;

    static int64_t now();

private:
    int64_t t_ = 0;
    bool set_ = false;
};

// Converts between calendar fields (UTC) and seconds; no 2038 limit.
int64_t zrxTimeFromFields(int year, int month, int day, int hour, int minute, int second);
void zrxTimeToFields(int64_t t, int& year, int& month, int& day, int& hour, int& minute, int& second);

// A key identifier: the bytes of a subject key identifier.
class TCIdentifier : public TCASN1OctetString {
public:
    TCIdentifier() = default;
    TCIdentifier(const TCASN1OctetString& os) : TCASN1OctetString(os) {}
    TCIdentifier(const void* data, size_t len) : TCASN1OctetString(data, len) {}
    ~TCIdentifier() override = default;
    // Parses a hex identifier text; an empty or bad text is kErrBadValue.
    KResult parse(const char* text);
    TCString text() const { return toHex(false); }
};
