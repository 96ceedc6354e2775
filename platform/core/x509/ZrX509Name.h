#pragma once
// A distinguished name (issuer or subject) with look-ups by object.
#include <openssl/x509.h>

#include <string_view>

#include "platform/core/x509/ZrXErrors.h"
#include "platform/runtime/TCString.h"

class TZrX509Name {
public:
    TZrX509Name();
    explicit TZrX509Name(const X509_NAME* name);  // copies
    TZrX509Name(const TZrX509Name& other);
    TZrX509Name& operator=(const TZrX509Name& other);
    virtual ~TZrX509Name();

    const X509_NAME* handle() const { return name_; }
    void assign(const X509_NAME* name);

    int count() const;
    int entryNid(int index) const;
    TCString entryShortName(int index) const;
    TCString entryValue(int index) const;  // UTF-8
    // First value of the object, empty when absent.
    TCString getEntryByNid(int nid) const;
    // By short or long name or dotted identifier ("CN", "zorenUID").
    TCString getEntryByName(const char* name) const;
    // Adds a UTF-8 value; kErrUnknownObject for an unknown name, kErrBadValue for a bad value.
    KResult addEntry(const char* nameOrOid, const char* value);
    KResult addEntryByNid(int nid, const char* value);

    // "CN=..., O=..." (most significant last as in RFC 2253 order), UTF-8.
    TCString text() const;
    // The common name, else the organisation, else the whole text.
    TCString ownerName() const;

    friend bool operator==(const TZrX509Name& a, const TZrX509Name& b);
    friend bool operator!=(const TZrX509Name& a, const TZrX509Name& b) { return !(a == b); }

private:
    X509_NAME* name_;
};

// A value as text to show: every NUL in it as "\00", as the name's text()
// shows control characters. A value cut at an embedded NUL would read as
// another name ("www.bank.ua\0.evil.example" is not "www.bank.ua").
TCString zrxVisibleText(std::string_view value);
