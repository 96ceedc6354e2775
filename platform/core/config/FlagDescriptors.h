#pragma once
// Flag descriptors: named lists of (caption, value) records that the
// described flags box shows, read from the configuration's
// "core\sysConsts\flagDescriptors" (schema: docs/config-schema.md).
#include <cstdint>
#include <vector>

#include "platform/runtime/TCString.h"

class TCXMLNode;

// List types of the conversions.
constexpr int FBLT_CHECKBOXES = 0;  // a set/flags word: several items
constexpr int FBLT_RADIO = 1;       // one value

struct TCFlagsBoxValue {
    TCString caption;  // source caption
    TCString name;     // the name in text forms (the caption when none is given)
    uint64_t value = 0;
};

class TCFlagsBoxDescriptor {
public:
    enum Kind { fbFlags, fbSet, fbEnum };
    TCString name;
    Kind kind = fbFlags;
    std::vector<TCFlagsBoxValue> values;

    const TCFlagsBoxValue* byValue(uint64_t v) const;
    const TCFlagsBoxValue* byName(const char* nameOrCaption) const;
};

// Adds (or replaces, by name) the descriptors under a node; answers how many
// were taken. Children without items or with bad values are skipped and logged.
int addXMLFBDescriptors(const TCXMLNode* node);
// The descriptor of that name (without regard to case), or null.
const TCFlagsBoxDescriptor* findFBFields(const char* name);
// Text form -> value: item names (or captions) separated by ','; with FBLT_RADIO
// one name. A number ("0x1F", "31") is taken as it is. ok (optional) is false
// when the descriptor is unknown or a name is not one of its items (those
// names add nothing).
uint64_t fbFlagsByText(const char* descriptor, const char* text, int listType, bool* ok = nullptr);
// Value -> text form: the names of the items whose bits are all set (check
// boxes) or of the item with that value (radio); bits no item covers are
// appended as one hexadecimal number.
TCString fbTextByFlag(const char* descriptor, uint64_t value, int listType);
void clearFBDescriptors();
