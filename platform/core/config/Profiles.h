#pragma once
// Key profiles of the core library: descriptors read from the application
// configuration's "core\profiles" section (schema: docs/config-schema.md),
// the process-wide list of defined profiles, the new-key items and the
// print descriptions.
#include <cstdint>
#include <vector>

#include "platform/core/config/XmlNode.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/TCStringList.h"

// Profile flag bits for the key purposes.
constexpr uint32_t PF_SIGN_KEYS = 0x20000;
constexpr uint32_t PF_KA_KEYS = 0x10000;

class TCXProfileDescriptor {
public:
    TCXProfileDescriptor() = default;
    TCXProfileDescriptor(const TCXProfileDescriptor&) = default;
    TCXProfileDescriptor& operator=(const TCXProfileDescriptor&) = default;
    virtual ~TCXProfileDescriptor() = default;

    TCString name;            // element name in the configuration
    int id = 0;               // numeric profile identifier
    int kind = 0;             // looked up by _getXProfileInt
    int baseKind = 0;         // the base's kind for a derived profile, else 0
    uint32_t flags = 0;       // PF_SIGN_KEYS, PF_KA_KEYS and others
    TCString caption;         // source caption (Russian)
    int validityDays = 0;     // 0: the default lifetime
    TCString templateFile;    // crypto template file name
    TCStringList frames;      // request-property frame names
    TCStringList extFormats;  // extension formats of the profile's requests
    TCString ekuList;         // extended key usages offered to the owner: "name[=1|y|t]", comma separated

    // Translated caption.
    TCString getCaption() const;
    // Validity in days (the default lifetime when the profile sets none).
    int days() const;
    bool hasSignKeys() const { return (flags & PF_SIGN_KEYS) != 0; }
    bool hasKAKeys() const { return (flags & PF_KA_KEYS) != 0; }
    void setFrames(const char* commaSeparated);

    // Full name of a profile's template file in a folder: folder/xcfg/<template>
    // (an absolute template name stands as it is). False without a profile or template.
    static bool getTemplateFileName(TCString& out, const TCXProfileDescriptor* profile, const char* folder);
};

// The default template file of a folder (folder/xcfg/defTemplate.xcfg).
TCString getDefTemplateFileName(const char* folder);

class TCXProfilesList {
public:
    TCXProfilesList(bool owns = true) : owns_(owns) {}
    ~TCXProfilesList();
    TCXProfilesList(const TCXProfilesList&) = delete;
    TCXProfilesList& operator=(const TCXProfilesList&) = delete;

    int count() const { return static_cast<int>(items_.size()); }
    TCXProfileDescriptor* at(int i) const;
    // By name (without regard to case).
    TCXProfileDescriptor* findProfile(const char* name) const;
    TCXProfileDescriptor* findById(int id) const;
    TCXProfileDescriptor* findByKind(int kind) const;
    // Appends; a profile of the same name is replaced (and deleted when owned).
    void add(TCXProfileDescriptor* p);
    void clear();

private:
    bool owns_;
    std::vector<TCXProfileDescriptor*> items_;
};

// Fills a descriptor from a profile node; 1 when the node is a valid profile,
// 0 when it is rejected (the reason is logged with 0xC0800049).
int initProfile(TCXProfileDescriptor* profile, const TCXMLNode* node);
// Captions of a node into a descriptor; false when the node has none.
bool assignProfileCaptions(TCXProfileDescriptor* profile, const TCXMLNode* node);
// Applies the attributes a node gives (id, kind, keys, flags, days, template,
// frames, ext children) to a descriptor; false when a value is invalid.
bool changeProfile(TCXProfileDescriptor* profile, const TCXMLNode* node);

// The defined profiles (owned).
TCXProfilesList& _getDefPFList();
// Registers (takes ownership); false for a null or unnamed profile.
bool _registerXProfile(TCXProfileDescriptor* profile);
TCXProfileDescriptor* _getXProfileAt(int index);
TCXProfileDescriptor* _getXProfileInt(int kind);
// Translated caption of the profile with that id, empty when none.
TCString getProfileCaptionInt(int id);

// New-key items: profile names (or ids) separated by ',' ';' or blanks.
// Unknown names are logged and skipped. Answers the number of items.
int _initNewKeysItemList(const char* text);
TCXProfilesList& _newKeysItemList();

// Default validity of profiles that set none (days; values < 1 are ignored).
void _pfSetDefCertLifeDays(int days);
int _pfGetDefCertLifeDays();

// The print descriptions (takes ownership of the tree; null clears them).
void initXMLProfilePrints(TCXMLNode* tree);
const TCXMLNode* getXMLProfilePrints();

// Chooses the default profile (the first with signature keys, else the first).
// Part of the programming-interface library's start-up; answers it or null.
TCXProfileDescriptor* initDefaultProfile();
TCXProfileDescriptor* getDefaultProfile();

// Forgets every profile, new-key item, print description and the lifetime.
void clearXProfiles();
