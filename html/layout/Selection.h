#pragma once
// Four small mechanisms of the viewer: the collectors that walk the selected
// text of a document (counting it, copying it into a caller's buffer, or
// putting it on the clipboard), the link target that the parser keeps for
// the link being read and that font runs carry, and client-side image maps.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/layout/FreeList.h"

class TAttributeList;
class TFontList;

// Counts the units of the selected text; the placeholders of form controls
// (#2) and image-like objects (#4) count for nothing.
class TSelTextCount {
public:
    virtual ~TSelTextCount() = default;
    virtual void AddText(const char16_t* P, int32_t Size);
    // The count (or, for the buffers, the units written with the terminator).
    virtual int32_t Terminate();
    // The text, then a carriage return and a line feed.
    void AddTextCR(const char16_t* P, int32_t Size);
    void AddText(std::u16string_view S) { AddText(S.data(), int32_t(S.size())); }
    void AddTextCR(std::u16string_view S) { AddTextCR(S.data(), int32_t(S.size())); }

    char16_t* Buffer = nullptr;  // unused by the counter itself
    int32_t BufferLeng = 0;      // capacity of Buffer in units
    int32_t Leng = 0;            // units counted or stored so far
};

// Copies the selected text into a caller's buffer of Size units, always
// keeping one unit for the terminating 0; forced breaks (#8) are not stored.
// A buffer of no units is refused: nothing is ever written to it.
class TSelTextBuf : public TSelTextCount {
public:
    TSelTextBuf(char16_t* ABuffer, int32_t Size);
    void AddText(const char16_t* P, int32_t Size) override;
    // Writes the 0 unit; answers the units written with it (0 for a refused buffer).
    int32_t Terminate() override;
    using TSelTextCount::AddText;
};

// Where the collected text goes: the platform's clipboard as UTF-16 text.
using ThtClipboardSink = std::function<void(std::u16string_view Text)>;
// The framework's clipboard (plain text).
ThtClipboardSink PlatformClipboardSink();

// Collects into a buffer of its own and hands exactly the collected text to
// the clipboard sink when terminated.
class TClipBuffer : public TSelTextBuf {
public:
    explicit TClipBuffer(int32_t ALeng, ThtClipboardSink Sink = PlatformClipboardSink());
    TClipBuffer(const TClipBuffer&) = delete;
    TClipBuffer& operator=(const TClipBuffer&) = delete;
    // The sink's failure is passed on; the buffer is freed with the object.
    int32_t Terminate() override;

private:
    std::vector<char16_t> FOwned;
    ThtClipboardSink FSink;
};

// The first and last index of a link's text run objects.
struct TutText {
    int32_t Start = -1;
    int32_t Last = -1;
};

// A link target. Every link read gets an identity, shared by all font runs
// of the link; identities come from one process-wide counter that starts at
// 10 and is never reset, so they are unique for the life of the process.
class TUrlTarget {
public:
    TUrlTarget() = default;
    TUrlTarget(const TUrlTarget&) = delete;
    TUrlTarget& operator=(const TUrlTarget&) = delete;

    // A new link: the next identity, the tag's attributes as "NAME=value"
    // lines; TabIndex and Last are kept.
    void Assign(std::u16string_view AnUrl, std::u16string_view ATarget, const TAttributeList* L, int32_t AStart);
    // A copy of another target, identity included.
    void Assign(const TUrlTarget& UT);
    void Clear();
    // Last := ALast, here and in the targets of the runs at the end of List
    // that belong to the same link (walking back to the first other link).
    void SetLast(TFontList* List, int32_t ALast);

    int32_t Start() const { return utText.Start; }
    int32_t Last() const { return utText.Last; }

    std::u16string URL;
    std::u16string Target;  // target frame or window
    int64_t ID = 0;         // the link's identity
    std::u16string Attr;    // the link tag's attributes, one "NAME=value" line each
    TutText utText;
    int32_t TabIndex = 0;
};

// The next link identity (the counter goes up by one).
int64_t NextLinkIdentity();

enum class ThtMapShape { Rect, Circle, Poly };

// One AREA of a client-side image map: its reference and the shape it
// covers, tested with our own geometry (pixel centres inside the inclusive
// rectangle, the inscribed ellipse, or the polygon by the winding rule).
class TMapArea {
public:
    bool PtInArea(int32_t X, int32_t Y) const;
    const std::u16string& HRef() const { return FHRef; }
    const std::u16string& Target() const { return FTarget; }
    const std::u16string& Title() const { return FTitle; }

private:
    friend class TMapItem;
    std::u16string FHRef;
    ThtMapShape FShape = ThtMapShape::Rect;
    std::vector<int32_t> FCoords;
    std::u16string FTarget;
    std::u16string FTitle;
};

class TMapAreaList : public TFreeList<TMapArea> {
public:
    TMapAreaList() : TFreeList<TMapArea>(true) {}
    TMapArea* GetArea(int Index) const { return Items(Index); }
};

// A client-side image map: its areas in the order they were added.
class TMapItem {
public:
    // Adds the area of an AREA tag; one with too few coordinates is dropped.
    void AddArea(const TAttributeList& Attrib);
    // The first area that holds the point decides: its reference (a new
    // target, the caller's) and title, or false when it has none.
    bool GetURL(int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& URLTarg, std::u16string& ATitle) const;
    const TMapAreaList& Areas() const { return FAreas; }

    std::u16string MapName;  // set by the parser, upper case

private:
    TMapAreaList FAreas;
};

// The numbers of a coordinate list ("1, 2 ,3,,4"): at most this many are read.
constexpr int MaxMapCoords = 301;
std::vector<int32_t> ParseMapCoords(std::u16string_view Text);
