#pragma once
// X.509 extensions: editable extension entries (TCX509ExtEntry) in lists
// (TCXExtList), and the encoded extensions of a request or certificate
// (TX509v3ExtList).
//
// Value text forms of extension entries:
//  - standard extensions: OpenSSL's configuration forms, e.g. keyUsage
//    "digitalSignature,keyAgreement", basicConstraints "CA:TRUE",
//    subjectAltName "email:a@b.ua", certificatePolicies "1.2.3.4";
//  - extendedKeyUsage: purpose names separated by ','; the entry also holds one
//    sub-entry per purpose (path "extendedKeyUsage\tempCertificate"), which is
//    what the extension is encoded from;
//  - other objects by their value type: string (UTF8String), int (INTEGER),
//    bool (BOOLEAN), binary/object (hex of the DER value), date/time.
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include "platform/core/x509/EditsList.h"
#include "platform/core/x509/ObjectRegistry.h"

class TCX509ExtEntry : public TCXEditsEntry {
public:
    explicit TCX509ExtEntry(const char* nameOrOid = "", const char* value = nullptr, bool critical = false);
    TCX509ExtEntry(const TCX509ExtEntry& other) = default;
    TCXEditsEntry* clone() const override { return new TCX509ExtEntry(*this); }

    // Parses an extension format "[!]name[?valtype][|long name][:value]"
    // ('!' critical). kErrBadValue or kErrUnknownObject when it does not parse.
    KResult parse(const char* format);
    TCString caption() const override;
    KResult setValue(const char* value) override;

    bool critical() const { return critical_; }
    void setCritical(bool c) { critical_ = c; }

    // Encodes the entry (a new extension, caller frees).
    KResult toExtension(X509_EXTENSION** out) const;
    // Takes name, criticality and value text from an encoded extension.
    KResult fromExtension(const X509_EXTENSION* ext);

private:
    bool isEku() const;
    void syncEkuSubEntries();
    bool critical_ = false;
};

class TCXExtList : public TCXEditsList {
public:
    TCXExtList() = default;
    TCXExtList(const TCXExtList&) = default;
    ~TCXExtList() override = default;

    TCX509ExtEntry* extAt(int i) const { return dynamic_cast<TCX509ExtEntry*>(at(i)); }
    // The entry of the same object as the given one.
    TCX509ExtEntry* findEntry(const TCXEditsEntry* entry) const;
    TCX509ExtEntry* findByNid(int nid) const;
    // Sets (creating when needed) the value of an extension.
    KResult setValueTo(int nid, bool critical, const char* value);
    // Takes the other list's entries: those of objects already present replace
    // them when replace is true (else are skipped); the rest are appended.
    virtual KResult merge(const TCXExtList& other, bool replace);
    // Reads every extension of an encoded list.
    KResult fromX509v3(const class TX509v3ExtList& exts);
};

class TX509v3ExtList {
public:
    TX509v3ExtList();
    explicit TX509v3ExtList(const STACK_OF(X509_EXTENSION) * exts);  // copies
    TX509v3ExtList(const TX509v3ExtList& other);
    TX509v3ExtList& operator=(const TX509v3ExtList& other);
    virtual ~TX509v3ExtList();

    int count() const;
    X509_EXTENSION* at(int i) const;
    int indexOf(int nid) const;
    X509_EXTENSION* find(int nid) const;
    bool remove(int nid);
    void clear();
    const STACK_OF(X509_EXTENSION) * stack() const { return exts_; }

    // Adds a copy, replacing an extension of the same object.
    KResult add(const X509_EXTENSION* ext);
    // Adds an extension from its value text (forms as in TCX509ExtEntry);
    // ctx may give issuer/subject for key identifiers.
    KResult addExt(int nid, const char* value, X509V3_CTX* ctx = nullptr, bool critical = false);
    // Takes every entry of an edit list (replacing extensions of the same objects).
    KResult mergeExts(const TCXExtList& list);
    // Takes the named entry of an edit list; nothing when it has none.
    KResult mergeExt(const TCXExtList& list, const char* name);
    // Drops the start-up certificate purpose from extendedKeyUsage (and the
    // extension when nothing else is left).
    KResult delEKUTempFlag();
    // Puts the key-agreement parameters (an algorithm identifier) into the
    // key-agreement parameter extension.
    KResult setKAExtPars(const X509_ALGOR* params);
    // The same with the parameters a request carries: a copy named as
    // makeKAExtParams names it.
    KResult setRequestKAExtPars(const X509_ALGOR* params);

private:
    STACK_OF(X509_EXTENSION) * exts_;
};

// A copy of key-agreement parameters for the request's extension (caller
// frees): a DSTU 4145 algorithm is named by the key-agreement algorithm object.
X509_ALGOR* makeKAExtParams(const X509_ALGOR* params);
