// What the viewer asks of a laid-out text section: the link, control or
// title under a point, the caret position nearest a point and the point of
// a caret position, the selected text, and forward and backward search.
// Every answer works on the section's length, never on a terminator.
#include <algorithm>
#include <string>

#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/text/HtmlText.h"

// ---- text routines

size_t FindSubText(std::u16string_view Text, std::u16string_view Sub) {
    if (Sub.empty()) return std::u16string_view::npos;
    return Text.find(Sub);
}

size_t CharPos(std::u16string_view Text, char16_t Ch) {
    if (Ch == 0) return Text.size();
    return Text.find(Ch);
}

size_t LastCharPos(std::u16string_view Text, char16_t Ch) {
    if (Ch == 0) return Text.size();
    return Text.rfind(Ch);
}

size_t SubTextPos(std::u16string_view Sub, std::u16string_view Text) {
    const size_t at = FindSubText(Text, Sub);
    return at == std::u16string_view::npos ? 0 : at + 1;
}

bool TextsEqual(std::u16string_view A, std::u16string_view B) { return A == B; }

// ---- hit test

ThtguResultType TSection::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                 TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    UrlTarg.reset();
    FormControl = nullptr;
    if (ATitle) ATitle->clear();
    ThtguResultType result = 0;
    auto copyTarget = [&](const TFontObj* FO) {
        auto t = std::make_unique<TUrlTarget>();
        if (FO->UrlTarget) t->Assign(*FO->UrlTarget);
        UrlTarg = std::move(t);
    };

    int32_t ix = 0, iy = 0, posn = 0;
    bool serverMap = false, clientMap = false;
    TMapItem* map = nullptr;
    TImageObj* image = nullptr;
    if (Images.PtInImage(X, Y, ix, iy, posn, serverMap, clientMap, map, image)) {
        const std::u16string& title = !image->Title.empty() ? image->Title : image->Alt();
        if (!title.empty()) {
            if (ATitle) *ATitle = title;
            result |= guTitle;
        }
        if (FDocument) FDocument->ActiveImage = image;
        if (image->MyFormControl) {
            FormControl = image->MyFormControl;
            image->MyFormControl->XTmp = ix;
            image->MyFormControl->YTmp = iy;
            return result | guControl;
        }
        if (clientMap && map) {
            std::u16string areaTitle;
            if (map->GetURL(ix, iy, UrlTarg, areaTitle)) {
                result |= guUrl;
                if (!areaTitle.empty()) {
                    if (ATitle) *ATitle = areaTitle;
                    result |= guTitle;
                }
            }
            return result;
        }
        if (TFontObj* fo = Fonts.GetFontObjAt(posn); fo && !fo->URL().empty()) {
            result |= guUrl;
            copyTarget(fo);
            if (FDocument) FDocument->ActiveLink = fo;
            if (serverMap) UrlTarg->URL += u"?" + htmltext::fromInt(ix) + u"," + htmltext::fromInt(iy);
        }
        return result;
    }

    for (int i = 0; i < Lines.Count(); ++i) {
        const ThtLineRec& line = *Lines.Items(i);
        if (!(line.DrawY < Y && Y <= line.DrawY + line.LineHt)) continue;
        if (X < line.DrawXX || line.Ln <= 0) break;
        std::vector<int32_t> adv;
        LineAdvances(Canvas, line, adv);
        // The characters that fit left of the point.
        int32_t n = 0, used = 0;
        while (n < int32_t(adv.size()) && used + adv[size_t(n)] <= X - line.DrawXX) used += adv[size_t(n++)];
        if (n >= int32_t(adv.size())) break;
        const int32_t at = line.Start + n;
        if (BuffS[size_t(at)] == ImgPan) break;
        if (TFontObj* fo = Fonts.GetFontObjAt(at)) {
            if (!fo->URL().empty()) {
                result |= guUrl;
                copyTarget(fo);
                if (FDocument) FDocument->ActiveLink = fo;
            }
            if (!fo->Title.empty()) {
                if (ATitle) *ATitle = fo->Title;
                result |= guTitle;
            }
        }
        break;
    }
    return result;
}

bool TSection::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) {
    return Images.PtInObject(X, Y, Obj, IX, IY) || TSectionBase::PtInObject(X, Y, Obj, IX, IY);
}

// ---- caret

int32_t TSection::FindCursor(TCanvas* Canvas, int32_t X, int32_t Y, int32_t& XR, int32_t& YR, int32_t& CaretHt,
                             bool& Intext) {
    Intext = false;
    if (Len <= 0 || Y <= ContentTop) return -1;
    int64_t top = ContentTop;
    const ThtLineRec* line = nullptr;
    for (int i = 0; i < Lines.Count(); ++i) {
        const ThtLineRec* l = Lines.Items(i);
        const int64_t h = int64_t(l->LineHt) + l->SpaceBefore + l->SpaceAfter;
        if (Y < top + h) {
            line = l;
            break;
        }
        top += h;
    }
    if (!line) return -1;
    if (X > line->DrawXX + line->DrawWidth || X < line->DrawXX - 10) return -1;
    Intext = true;
    CaretHt = line->LineHt;
    YR = int32_t(top) + line->SpaceBefore;
    if (X < line->DrawXX) {
        XR = line->DrawXX;
        Intext = false;
        return StartCurs + line->Start;
    }
    std::vector<int32_t> adv;
    LineAdvances(Canvas, *line, adv);
    const int32_t ln = int32_t(adv.size());
    int32_t n = 0, w = 0;
    while (n < ln && w + adv[size_t(n)] <= X - line->DrawXX) w += adv[size_t(n++)];
    XR = line->DrawXX + w;
    // Past the middle of the next character, the caret goes after it.
    if (n < ln) {
        const int32_t c = adv[size_t(n)];
        if (w + c / 2 < X - line->DrawXX) {
            XR += c;
            ++n;
        }
    }
    if (n >= ln) Intext = false;
    return StartCurs + line->Start + n;
}

bool TSection::CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) {
    if (Len <= 0 || Cursor < StartCurs || Cursor > StartCurs + Len) return false;
    const int32_t offset = Cursor - StartCurs;
    int64_t top = ContentTop;
    for (int i = 0; i < Lines.Count(); ++i) {
        const ThtLineRec* l = Lines.Items(i);
        if (offset < l->Start + l->Ln) {
            Y = int32_t(top);
            X = l->DrawXX;
            if (Canvas) {
                std::vector<int32_t> adv;
                LineAdvances(Canvas, *l, adv);
                for (int32_t k = 0; k < offset - l->Start && size_t(k) < adv.size(); ++k) X += adv[size_t(k)];
            }
            return true;
        }
        top += int64_t(l->LineHt) + l->SpaceBefore + l->SpaceAfter;
    }
    return false;
}

// ---- selection and search

void TSection::CopyToClipboard() {
    ThtDocument* doc = FDocument;
    if (!doc || !doc->CB || Len <= 0) return;
    const int32_t mySelB = doc->SelB - StartCurs, mySelE = doc->SelE - StartCurs;
    if (mySelE <= mySelB) return;
    for (int i = 0; i < Lines.Count(); ++i) {
        const ThtLineRec* l = Lines.Items(i);
        const int32_t start = std::clamp(l->Start, 0, Len), ln = std::clamp(l->Ln, 0, Len - start);
        if (start + ln <= mySelB || start >= mySelE) continue;
        const int32_t from = std::max(mySelB - start, 0);
        int32_t to = std::min(mySelE - start, ln);
        // The space that ends the section is never part of the copy.
        if (i == Lines.Count() - 1 && start + to == Len && to > from && BuffS[size_t(Len - 1)] == u' ') --to;
        if (to > from) doc->CB->AddText(BuffS.data() + start + from, to - from);
    }
    if (mySelE > Len) doc->CB->AddTextCR(u"", 0);
}

int32_t TSection::FindString(int32_t From, std::u16string_view ToFind, bool MatchCase) {
    if (Len <= 0 || ToFind.empty() || From >= StartCurs + Len) return -1;
    const size_t from = size_t(std::max(From - StartCurs, 0));
    const std::u16string_view text = std::u16string_view(BuffS).substr(0, size_t(Len));
    const size_t at = MatchCase ? text.find(ToFind, from) : htmltext::lower(text).find(ToFind, from);
    return at == std::u16string::npos ? -1 : StartCurs + int32_t(at);
}

int32_t TSection::FindStringR(int32_t From, std::u16string_view ToFind, bool MatchCase) {
    const int64_t l = int64_t(ToFind.size());
    if (Len <= 0 || l == 0 || From < StartCurs || l > Len) return -1;
    // Only what lies before From; an occurrence must end before it.
    const int32_t before = std::min(From - StartCurs, Len);
    if (before < l) return -1;
    std::u16string_view text = std::u16string_view(BuffS).substr(0, size_t(before));
    std::u16string lowered;
    if (!MatchCase) {
        lowered = htmltext::lower(text);
        text = lowered;
    }
    const size_t at = text.rfind(ToFind);
    return at == std::u16string::npos ? -1 : StartCurs + int32_t(at);
}
