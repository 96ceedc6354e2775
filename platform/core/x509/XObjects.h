#pragma once
// User-defined objects and extension formats of the core library.
//
// ZrXRegisterObject registers an object identifier with OpenSSL (OBJ_create)
// together with the value type and criticality its extensions have;
// registerExtensionFormat keeps the extension formats
// "[!]shortName[?valueType][|long name]:[value]" that requests may use.
#include "platform/core/x509/EditsList.h"
#include "platform/runtime/TCString.h"

// The record a user object hands over (field order is part of the interface).
struct TZrXObjectRecord {
    const char* shortName = nullptr;
    const char* longName = nullptr;
    const char* oid = nullptr;  // dotted form
    int registered = 0;         // NID once registered, 0 before
    TCEditsEntryType valueType = xvtNone;
    bool critical = false;
};

// Registers the object; answers its NID, or 0 when the record is invalid
// (no names, not a dotted identifier) or its names belong to another
// identifier already. An identifier known already answers its NID (the short
// name must then be the same).
int ZrXRegisterObject(TZrXObjectRecord* record);
// Value type and criticality of an object registered through ZrXRegisterObject.
bool getXObjectInfo(int nid, TCEditsEntryType* type, bool* critical);

// Registers one or more formats separated by ';' or line breaks; a format of
// a name already registered replaces it. False when any format has no name
// (the valid ones are kept).
bool registerExtensionFormat(const char* text);
int extensionFormatCount();
TCString extensionFormatAt(int index);
// The format registered for a short name, empty when none.
TCString findExtensionFormat(const char* shortName);
// The short name of a format text.
TCString extensionFormatName(const char* format);
void clearExtensionFormats();
