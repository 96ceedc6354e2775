#pragma once
// The base of everything a document registers under an id (elements and
// stand-alone anchors). The document model gives it its positions; here it
// only says whether the id list frees it.
class TIDObject {
public:
    virtual ~TIDObject() = default;
    // True for objects the id list owns (stand-alone anchors).
    virtual bool FreeMe() const { return false; }
};
