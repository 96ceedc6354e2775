#pragma once
// Edit entries: described fields (owner-name attributes, extensions, their
// parts) that editors show and change. An entry is a TCString holding its
// name; its value is kept as text in the value forms of its type.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/x509/ZrXErrors.h"
#include "platform/runtime/TCString.h"

enum TCEditsEntryType : int {
    xvtNone,
    xvtString,
    xvtBool,
    xvtInt,
    xvtDate,
    xvtDateTime,
    xvtBinary,
    xvtObject,
    xvtEnum,
    xvtSet,
    xvtTime,
    xvtFlags,
    xvtBinFile,
    xvtAuxiliary,
    xvtSimple,
};

// Names of the value types ("string", "bool", ...), and back (case-insensitive;
// an unknown name is xvtNone).
const char* xvtByType(TCEditsEntryType type);
TCEditsEntryType xvtByName(const char* name);

// Boolean value texts: "TRUE"/"FALSE"; read also from "да", "yes", "true",
// "1", "так" and "нет", "no", "false", "0", "ні" (any case).
const char* zrxBoolText(bool value);
bool zrxBoolFromText(const char* text, bool* value);

// Entry flag bits used by the editors.
enum : uint32_t {
    xefOptional = 0x1,       // not required; locks automatic name composition
    xefNotRequired = 0x2,    // not required (set by rules)
    xefUserAdded = 0x10,     // extension added by the user
    xefFromPattern = 0x20,   // the value may come from a pattern
    xefNoKeyFilter = 0x200,  // no name-key filter
};

class TCXEditsList;

class TCXEditsEntry : public TCString {
public:
    explicit TCXEditsEntry(const char* name = "", TCEditsEntryType type = xvtString, const char* caption = nullptr,
                           const char* value = nullptr);
    TCXEditsEntry(const TCXEditsEntry& other);  // deep copy of owned sub-entries
    TCXEditsEntry& operator=(const TCXEditsEntry&) = delete;
    ~TCXEditsEntry() override;
    virtual TCXEditsEntry* clone() const { return new TCXEditsEntry(*this); }

    // The entry's name is its text.
    const TCString& getName() const { return *this; }
    void setName(const char* name) { TCString::operator=(name); }

    // Caption shown to the user: the caption, else the long name, else the name.
    virtual TCString caption() const;
    void setCaption(const char* c) { caption_ = c; }
    const TCString& longName() const { return longName_; }
    void setLongName(const char* n) { longName_ = n; }
    // The long name (or caption) with "*" appended when the field is required.
    TCString longName_nf() const;

    virtual TCEditsEntryType valueType() const { return type_; }
    TCEditsEntryType getValueType() const { return type_; }
    void setValueType(TCEditsEntryType t) { type_ = t; }

    const TCString& getValue() const { return value_; }
    // Stores the value; a bool value is normalised to "TRUE"/"FALSE"; a value
    // longer than the maximum length (in characters) is kErrBadValue.
    virtual KResult setValue(const char* value);

    const TCString& getInputMask() const { return inputMask_; }
    void setInputMask(const char* m) { inputMask_ = m; }
    int getMaxLength() const { return maxLength_; }  // characters, 0 unlimited
    void setMaxLength(int n) { maxLength_ = n < 0 ? 0 : n; }
    bool canEmpty() const { return canEmpty_; }
    void setCanEmpty(bool b) { canEmpty_ = b; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool b) { enabled_ = b; }
    uint32_t flags() const { return flags_; }
    void setFlags(uint32_t f) { flags_ = f; }
    void setFlag(uint32_t bits, bool on = true) { flags_ = on ? (flags_ | bits) : (flags_ & ~bits); }
    bool hasFlag(uint32_t bits) const { return (flags_ & bits) != 0; }
    uint32_t optionFlags() const { return optionFlags_; }  // bit 0: no input history
    void setOptionFlags(uint32_t f) { optionFlags_ = f; }
    // Names of alternative entries, ','-separated: one of them must be filled.
    const TCString& getAltList() const { return altList_; }
    void setAltList(const char* a) { altList_ = a; }
    // OpenSSL NID of the entry's object (0 when none).
    int getNid() const { return nid_; }
    void setNid(int nid) { nid_ = nid; }

    // Choices of enumerations, sets and flags: caption and value.
    struct Item {
        TCString caption;
        uint64_t value = 0;
    };
    std::vector<Item>& items() { return items_; }
    const std::vector<Item>& items() const { return items_; }

    // Compound entries have a sub-entry list (possibly empty); simple ones none.
    bool isSimple() const { return subList() == nullptr; }
    TCXEditsList* getSubEntries() const { return subList(); }
    // Makes the entry compound (an owned empty list) and answers the list.
    TCXEditsList* makeSubEntries();
    // Adds a sub-entry (taken); makes the entry compound when needed.
    TCXEditsEntry* addSubEntry(TCXEditsEntry* entry);
    TCXEditsEntry* parent() const { return parent_; }
    void setParent(TCXEditsEntry* p) { parent_ = p; }

    // This entry or the first sub-entry (at any depth when recursive) of that
    // name, compared without regard to case.
    TCXEditsEntry* findByName(const char* name, bool recursive = true);
    // Path of names separated by '\' below this entry ("extendedKeyUsage\tempCertificate"
    // from a list, "tempCertificate" from the extension entry).
    TCXEditsEntry* findByPath(const char* path);

protected:
    virtual TCXEditsList* subList() const { return sub_.get(); }

    TCString caption_, longName_, value_, inputMask_, altList_;
    TCEditsEntryType type_ = xvtString;
    int maxLength_ = 0;
    bool canEmpty_ = true;
    bool enabled_ = true;
    uint32_t flags_ = 0;
    uint32_t optionFlags_ = 0;
    int nid_ = 0;
    std::vector<Item> items_;
    std::unique_ptr<TCXEditsList> sub_;
    TCXEditsEntry* parent_ = nullptr;
};

// An owning list of entries.
class TCXEditsList {
public:
    TCXEditsList() = default;
    TCXEditsList(const TCXEditsList& other);  // deep copy
    TCXEditsList& operator=(const TCXEditsList& other);
    virtual ~TCXEditsList();

    int count() const { return static_cast<int>(items_.size()); }
    TCXEditsEntry* at(int i) const { return i >= 0 && i < count() ? items_[i].get() : nullptr; }
    TCXEditsEntry* operator[](int i) const { return at(i); }
    int indexOf(const TCXEditsEntry* e) const;
    // Takes the entry; answers its index.
    int add(TCXEditsEntry* entry);
    int insert(int index, TCXEditsEntry* entry);
    // Removes and frees the entry; false when it is not in the list.
    bool remove(TCXEditsEntry* entry);
    // Removes the entry without freeing it (the caller takes it).
    TCXEditsEntry* detach(TCXEditsEntry* entry);
    void clear();
    // Owner entry set on added entries as their parent (null for top lists).
    void setOwnerEntry(TCXEditsEntry* owner) { owner_ = owner; }

    // First entry of the name (case-insensitive), also inside compound
    // entries when recursive.
    TCXEditsEntry* findByName(const char* name, bool recursive = false) const;
    // Entry by a '\'-separated path of names.
    TCXEditsEntry* findByPath(const char* path) const;

protected:
    std::vector<std::unique_ptr<TCXEditsEntry>> items_;
    TCXEditsEntry* owner_ = nullptr;
};
