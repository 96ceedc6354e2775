#pragma once
// The user-defined object list: object identifiers with a short name (the
// element name), a long name ("ln"), the dotted identifier ("oid"), a value
// type ("valtype", older files "ekuValue") and a criticality ("critical"),
// kept in the XML file "ZrX509_objects.xcfg" under the root "objects".
#include "platform/core/x509/EditsList.h"
#include "platform/core/config/XmlNode.h"
#include "platform/runtime/TCString.h"

#include <vector>

class TZrXOIDNode : public TCXMLNode {
public:
    TZrXOIDNode() = default;
    explicit TZrXOIDNode(const char* name, const TCXMLAttrs* attrs = nullptr);

    // Refreshes the cached fields from the node; answers isValid().
    bool cacheFromAttributes();
    // Short name, long name and identifier are all present.
    bool isValid() const;
    // Registers the object with the core library (once); with the format flag
    // also its extension format. True when it is registered.
    bool registerObject(bool withFormat);
    // "[!]shortName?valueType|longName:"
    TCString extensionFormat() const;

    // Setters write the attribute and refresh the cache. setShortName refuses
    // (false) a name that is not a valid XML name, so the file stays readable.
    void setOID(const char* oid);
    bool setShortName(const char* name);
    void setLongName(const char* name);
    void setCritical(bool critical);
    void setValueType(TCEditsEntryType type);
    TCString valueTypeText() const;

    const TCString& shortName() const { return shortName_; }
    const TCString& longName() const { return longName_; }
    const TCString& oid() const { return oid_; }
    int registeredNid() const { return registered_; }
    TCEditsEntryType valueType() const { return valueType_; }
    bool critical() const { return critical_; }

protected:
    TCXMLNode* createChild(const char* name, const TCXMLAttrs* attrs) const override;

private:
    TCString shortName_;
    TCString longName_;
    TCString oid_;
    int registered_ = 0;
    TCEditsEntryType valueType_ = xvtNone;
    bool critical_ = false;
};

class TZrXOIDsList : public TCXMLNodeParser {
public:
    TZrXOIDsList();

    // 0 on success (a load failure's code otherwise); with registerAll the
    // valid objects are registered with their extension formats. A file
    // whose root is not "objects" is no object list: refused (0xC0800049,
    // the last message says why) and the list stays as it was.
    int load(const char* fileName, bool registerAll);
    // What the file holds that the object dialogs cannot show as it is: an
    // identifier that is not dotted decimal, a value type they do not offer
    // ("valtype" or the older "ekuValue"), a base identifier that is not
    // valid. One translated line each, in file order.
    std::vector<TCString> problems() const;
    // Registers every valid object; answers how many are registered.
    int registerAll(bool withFormat);
    // Adds a node (taking ownership only on success) and saves the file.
    // False when registering was asked for and failed, when the short name
    // is not a valid XML name, or when the save failed (the node is then
    // taken out of the list again).
    bool addObject(TZrXOIDNode* node, bool registerIt);
    TZrXOIDNode* findByShortName(const char* name) const;
    TZrXOIDNode* findByLongName(const char* name) const;
    TZrXOIDNode* findByOID(const char* oid) const;
    // The first of B.1 ... B.10000 (B: the base identifier, empty when none)
    // that no object uses; empty when every candidate is taken.
    TCString nextFreeOID() const;
    // The base identifier, or null.
    const TCString* baseOID() const;
    // Writes the base identifier and saves; true when the save succeeded.
    bool setBaseOID(const char* oid);
    int count() const;
    TZrXOIDNode* at(int i) const;
    // Saves to the file of the last load; true on success.
    bool saveList();

protected:
    TCXMLNode* createNode(const char* name, const TCXMLAttrs& attrs) override;
};

// Registers the objects of "ZrX509_objects.xcfg" in a folder (without their
// extension formats); false when the file is missing or unreadable.
bool registerUserObjects(const char* folder);
// The list the object dialogs edit, created empty on first use.
TZrXOIDsList& userOIDsList();
// Empties that list and forgets its file, as at program start (tests).
void resetUserOIDsList();
