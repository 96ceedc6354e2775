#pragma once
// The base of everything a document registers under an id (elements and
// stand-alone anchors): its id and where it lies vertically.
#include <cstdint>
#include <string>
#include <string_view>

class TIDObject {
public:
    // The id is kept without the blanks and control characters around it.
    explicit TIDObject(std::u16string_view AHtmlID = {});
    virtual ~TIDObject() = default;
    TIDObject(const TIDObject&) = delete;
    TIDObject& operator=(const TIDObject&) = delete;

    // The document Y of the object.
    virtual int32_t GetYPosition() const = 0;
    // True for objects the id list owns (stand-alone anchors).
    virtual bool FreeMe() const { return false; }

    int32_t YPosition() const { return GetYPosition(); }
    const std::u16string& HtmlId() const { return FHtmlId; }
    const std::u16string& Id() const { return FHtmlId; }
    const std::u16string& GlobalId() const { return FGlobalId; }
    void SetGlobalId(std::u16string v) { FGlobalId = std::move(v); }

protected:
    std::u16string FHtmlId;
    std::u16string FGlobalId;
};
