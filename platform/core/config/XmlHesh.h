#pragma once
// Integrity digest of an XML configuration tree (docs/config-schema.md):
// the element `name` (a child of the root or of its "core") holds in "val"
// the GOST 34.311 digest of the tree without that element.
#include <cstdint>

#include "platform/runtime/TCString.h"

class TCXMLNode;

// The digest as 64 hex digits (empty when the tree is null).
TCString calcXMLHesh(const TCXMLNode* root, const char* name);
// True when the stored digest matches the tree. flags: reserved, 0.
bool verifyHesh(const TCXMLNode* root, const char* name, int flags);
// Stores the digest (creating the element under the root when missing).
bool setHesh(TCXMLNode* root, const char* name);
