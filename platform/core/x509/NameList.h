#pragma once
// Owner-name entries: the subject name as an edit list.
#include "platform/core/x509/EditsList.h"
#include "platform/core/x509/ZrX509Name.h"

class TCX509NameList : public TCXEditsList {
public:
    TCX509NameList() = default;
    TCX509NameList(const TCX509NameList&) = default;
    ~TCX509NameList() override = default;

    // Adds an attribute entry (name: short name or dotted identifier).
    TCXEditsEntry* addAttribute(const char* name, const char* value = "", bool canEmpty = true, int maxLength = 0);
    // Sets the value of the first entry of the name (kErrNotFound when none).
    KResult setValueOf(const char* name, const char* value);
    // The subject from the non-empty entries in list order (compound entries
    // contribute their sub-entries).
    KResult toX509Name(TZrX509Name& out) const;
    // Fills the values of known entries from a name; unknown attributes are appended.
    KResult fromX509Name(const TZrX509Name& name);
};

// A compound entry whose sub-entries are a list it does not own.
class TCX509StubListEntry : public TCXEditsEntry {
public:
    explicit TCX509StubListEntry(const char* name = "", TCXEditsList* list = nullptr)
        : TCXEditsEntry(name, xvtSimple), list_(list) {}
    TCX509StubListEntry(const TCX509StubListEntry& other) = default;
    TCXEditsEntry* clone() const override { return new TCX509StubListEntry(*this); }
    void setList(TCXEditsList* list) { list_ = list; }

protected:
    TCXEditsList* subList() const override { return list_; }

private:
    TCXEditsList* list_;
};
