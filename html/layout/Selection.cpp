#include "html/layout/Selection.h"

#include <algorithm>
#include <cmath>

#include "html/layout/AttributeList.h"
#include "html/layout/FontRuns.h"
#include "html/layout/ModelTypes.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "platform/framework/Clipbrd.h"

using namespace htmltext;

// ---- collectors

void TSelTextCount::AddText(const char16_t* P, int32_t Size) {
    for (int32_t i = 0; i < Size; ++i)
        if (P[i] != FmCtl && P[i] != ImgPan) ++Leng;
}

void TSelTextCount::AddTextCR(const char16_t* P, int32_t Size) {
    AddText(P, Size);
    AddText(u"\r\n", 2);
}

int32_t TSelTextCount::Terminate() { return Leng; }

TSelTextBuf::TSelTextBuf(char16_t* ABuffer, int32_t Size) {
    // Without a unit for the terminator the buffer is refused.
    if (ABuffer && Size >= 1) {
        Buffer = ABuffer;
        BufferLeng = Size;
    }
}

void TSelTextBuf::AddText(const char16_t* P, int32_t Size) {
    for (int32_t i = 0; i < Size && Leng < BufferLeng - 1; ++i)
        if (P[i] != FmCtl && P[i] != ImgPan && P[i] != BrkCh) Buffer[Leng++] = P[i];
}

int32_t TSelTextBuf::Terminate() {
    if (!Buffer) return 0;
    Buffer[Leng] = 0;
    return Leng + 1;
}

ThtClipboardSink PlatformClipboardSink() {
    return [](std::u16string_view Text) { Clipboard()->SetAsText(toUtf8(Text)); };
}

TClipBuffer::TClipBuffer(int32_t ALeng, ThtClipboardSink Sink)
    : TSelTextBuf(nullptr, 0), FOwned(size_t(std::max(ALeng, 0))), FSink(std::move(Sink)) {
    if (ALeng >= 1) {
        Buffer = FOwned.data();
        BufferLeng = ALeng;
    }
}

int32_t TClipBuffer::Terminate() {
    const int32_t result = TSelTextBuf::Terminate();
    // Exactly the collected text: nothing of the buffer beyond it.
    if (Buffer && FSink) FSink(std::u16string_view(Buffer, size_t(Leng)));
    return result;
}

// ---- link targets

namespace {
int64_t gLinkIdentity = 10;
}  // namespace

int64_t NextLinkIdentity() { return gLinkIdentity++; }

void TUrlTarget::Assign(std::u16string_view AnUrl, std::u16string_view ATarget, const TAttributeList* L,
                        int32_t AStart) {
    URL = AnUrl;
    Target = ATarget;
    ID = NextLinkIdentity();
    utText.Start = AStart;
    Attr.clear();
    if (L)
        for (int i = 0; i < L->Count(); ++i) {
            const TAttribute* a = L->GetAttribute(i);
            Attr += a->WhichName + u"=" + a->Name + u"\r\n";
        }
}

void TUrlTarget::Assign(const TUrlTarget& UT) {
    if (&UT == this) return;
    URL = UT.URL;
    Target = UT.Target;
    ID = UT.ID;
    TabIndex = UT.TabIndex;
    Attr = UT.Attr;
    utText = UT.utText;
}

void TUrlTarget::Clear() {
    URL.clear();
    Target.clear();
    Attr.clear();
    ID = 0;
    TabIndex = 0;
    utText = TutText();
}

void TUrlTarget::SetLast(TFontList* List, int32_t ALast) {
    utText.Last = ALast;
    if (!List) return;
    for (int i = List->Count() - 1; i >= 0; --i) {
        TUrlTarget* t = List->GetFont(i)->UrlTarget.get();
        if (!t || t->ID != ID) break;
        t->utText.Last = ALast;
    }
}

// ---- image maps

std::vector<int32_t> ParseMapCoords(std::u16string_view Text) {
    std::vector<int32_t> coords;
    const std::u16string s = trim(Text);
    auto isSep = [](char16_t c) { return c == u',' || isBlank(c); };
    size_t i = 0;
    while (int(coords.size()) < MaxMapCoords && i < s.size()) {
        size_t end = i;
        while (end < s.size() && !isSep(s[end])) ++end;
        const std::u16string_view token(s.data() + i, end - i);
        if (token.empty()) break;
        const int64_t v = toIntDef(token, 0);
        coords.push_back(v < INT32_MIN || v > INT32_MAX ? 0 : int32_t(v));
        i = end;
        while (i < s.size() && isSep(s[i])) ++i;
    }
    return coords;
}

void TMapItem::AddArea(const TAttributeList& Attrib) {
    auto area = std::make_unique<TMapArea>();
    for (int i = 0; i < Attrib.Count(); ++i) {
        const TAttribute* a = Attrib.GetAttribute(i);
        switch (a->Which) {
        case HrefSy: area->FHRef = a->Name; break;
        case NoHrefSy: area->FHRef.clear(); break;
        case TargetSy: area->FTarget = a->Name; break;
        case TitleSy: area->FTitle = a->Name; break;
        case ShapeSy: {
            const std::u16string head = lower(a->Name).substr(0, 4);
            if (head == u"circ") area->FShape = ThtMapShape::Circle;
            else if (head == u"poly") area->FShape = ThtMapShape::Poly;
            else if (head == u"rect") area->FShape = ThtMapShape::Rect;
            break;
        }
        case CoordsSy: area->FCoords = ParseMapCoords(a->Name); break;
        default: break;
        }
    }
    const size_t needed = area->FShape == ThtMapShape::Rect ? 4 : area->FShape == ThtMapShape::Circle ? 3 : 6;
    if (area->FCoords.size() < needed) return;
    FAreas.Add(std::move(area));
}

bool TMapItem::GetURL(int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& URLTarg, std::u16string& ATitle) const {
    URLTarg.reset();
    for (int i = 0; i < FAreas.Count(); ++i) {
        const TMapArea* a = FAreas.GetArea(i);
        if (!a->PtInArea(X, Y)) continue;
        // The first area that holds the point decides, also one without a reference.
        if (a->HRef().empty()) return false;
        URLTarg = std::make_unique<TUrlTarget>();
        URLTarg->URL = a->HRef();
        URLTarg->Target = a->Target();
        ATitle = a->Title();
        return true;
    }
    return false;
}

bool TMapArea::PtInArea(int32_t X, int32_t Y) const {
    const std::vector<int32_t>& c = FCoords;
    switch (FShape) {
    case ThtMapShape::Rect: {
        // Both given corners are inside.
        const int64_t l = std::min(c[0], c[2]), r = std::max(c[0], c[2]);
        const int64_t t = std::min(c[1], c[3]), b = std::max(c[1], c[3]);
        return X >= l && X <= r && Y >= t && Y <= b;
    }
    case ThtMapShape::Circle: {
        // The ellipse inscribed in the box (x - r, y - r) to (x + r + 1,
        // y + r + 1): a pixel is in when its centre is strictly inside.
        const double r = std::abs(double(c[2])) + 0.5;
        const double dx = (X + 0.5) - (c[0] + 0.5), dy = (Y + 0.5) - (c[1] + 0.5);
        return dx * dx + dy * dy < r * r;
    }
    case ThtMapShape::Poly: {
        // Non-zero winding number of the pixel centre; an odd last coordinate is ignored.
        const size_t n = c.size() / 2;
        const double px = X + 0.5, py = Y + 0.5;
        int winding = 0;
        for (size_t i = 0; i < n; ++i) {
            const double x1 = c[2 * i], y1 = c[2 * i + 1];
            const double x2 = c[2 * ((i + 1) % n)], y2 = c[2 * ((i + 1) % n) + 1];
            const double side = (x2 - x1) * (py - y1) - (px - x1) * (y2 - y1);
            if (y1 <= py) {
                if (y2 > py && side > 0) ++winding;
            } else if (y2 <= py && side < 0) {
                --winding;
            }
        }
        return winding != 0;
    }
    }
    return false;
}
