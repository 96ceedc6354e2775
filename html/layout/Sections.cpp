#include "html/layout/Sections.h"

#include "html/layout/AttributeList.h"
#include "html/layout/ControlObjs.h"
#include "html/layout/Document.h"
#include "html/layout/TokenBuffers.h"
#include "html/text/Fonts.h"
#include "html/text/Properties.h"

// ---- construction

TSection::TSection(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop, const TUrlTarget* AnURL,
                   bool FirstItem)
    : TSectionBase(Parent, Attr, Prop) {
    if (FDisplay == pdUnassigned) FDisplay = pdInline;
    // Every section has a first run at 0.
    auto run = std::make_unique<TFontObj>(this, Prop ? Prop->GetFont() : nullptr, 0);
    if (Prop) run->Title = Prop->PropTitle;
    Fonts.Add(std::move(run));
    // Still to come: the link run, line height, text-indent, clear, justify, word-wrap and white space.
    (void)AnURL;
    (void)FirstItem;
}

TSection::TSection(TCellBasic* Parent, const TSection& Source)
    : TSectionBase(Parent, Source), BreakWord(Source.BreakWord), FLPercent(Source.FLPercent),
      LineHeight(Source.LineHeight), BuffS(Source.BuffS), Brk(Source.Brk), FormControls(true),
      Justify(Source.Justify), ClearAttr(Source.ClearAttr), WhiteSpaceStyle(Source.WhiteSpaceStyle),
      FirstLineIndent(Source.FirstLineIndent) {
    Len = Source.Len;
    Fonts.CopyFrom(this, Source.Fonts);
    Images.CopyFrom(Parent, Source.Images);
    // Still to come: copies of the form controls (a print copy's section owns them).
}

TSection::~TSection() {
    // The document's link list and hover state must not keep runs that go.
    if (FDocument) {
        for (int i = 0; i < Fonts.Count(); ++i) {
            TFontObj* f = Fonts.GetFont(i);
            if (FDocument->LinkList) FDocument->LinkList->Remove(f);
            if (FDocument->ActiveLink == f) FDocument->ActiveLink = nullptr;
        }
    }
}

std::unique_ptr<TSectionBase> TSection::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TSection(Parent, *this));
}

TPreFormated::TPreFormated(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop, const TUrlTarget* AnURL,
                           bool FirstItem)
    : TSection(Parent, Attr, Prop, AnURL, FirstItem) {
    WhiteSpaceStyle = wsPre;
}

TPreFormated::TPreFormated(TCellBasic* Parent, const TPreFormated& Source) : TSection(Parent, Source) {}

std::unique_ptr<TSectionBase> TPreFormated::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TPreFormated(Parent, *this));
}

// ---- content

void TSection::AddChar(char16_t C, int32_t Index) {
    // Still to come: the character through AddTokenObj with its break class.
    BuffS += C;
    XP.push_back(Index);
    Len = int32_t(BuffS.size());
}

void TSection::AddTokenObj(TTokenObj& T) {
    // Still to come: hidden inline text dropped, text-transform, break classes and small capitals.
    for (int i = 1; i <= T.Count(); ++i) AddChar(T.Chars(i), T.Indices(i));
}

void TSection::ProcessText(int32_t) {
    // Still to come: white-space normalisation by style.
    Finish();
}

void TSection::CheckFree() {
    // Still to come: the runs out of the link list and the section out of the id list.
}

void TSection::AddOpBrk() {
    // Still to come: the last character marked as an optional break.
}

void TSection::ChangeFont(TProperties*) {
    // Still to come: a new run (or the last run's font replaced) in the font of the set.
}

void TSection::HRef(bool, ThtDocument*, const TUrlTarget*, TAttributeList*, TProperties*) {
    // Still to come: a link run started or ended.
}

TImageObj* TSection::AddImage(TAttributeList*, TCellBasic*, int32_t, TProperties*) {
    // Still to come: the image at position Len with its #4.
    return nullptr;
}

TFrameObj* TSection::AddFrame(TAttributeList*, TCellBasic*, int32_t, TProperties*) {
    // Still to come: the inline frame at position Len with its #4.
    return nullptr;
}

TControlObj* TSection::AddPanel(TAttributeList*, TCellBasic*, int32_t, TProperties*) {
    // Still to come: a panel from the document's object factory with its #4.
    return nullptr;
}

TControlObj* TSection::AddProgress(TAttributeList*, TCellBasic*, int32_t, TProperties*) {
    // Still to come: a progress bar from the document's object factory with its #4.
    return nullptr;
}

TControlObj* TSection::AddMeter(TAttributeList*, TCellBasic*, int32_t, TProperties*) {
    // Still to come: a meter from the document's object factory with its #4.
    return nullptr;
}

std::unique_ptr<TControlObj> TSection::CreatePanel(TAttributeList*, TCellBasic*, TProperties*) {
    // Still to come: a panel from the document's object factory.
    return nullptr;
}

TControlObj* TSection::AddPanel1(std::unique_ptr<TControlObj>, int32_t) {
    // Still to come: the panel added at position Len with its #4.
    return nullptr;
}

TFormControlObjBase* TSection::AddFormControl(TElemSymb, ThtDocument*, TAttributeList*, TCellBasic*, int32_t,
                                              TProperties*) {
    // Still to come: the control kind by element and type, made through the document's object factory.
    return nullptr;
}

void TSection::Allocate(int32_t N) {
    if (N > 0 && size_t(N) > XP.capacity()) XP.reserve(size_t(N));
}

void TSection::Finish() {
    // Still to come: the break classes completed and the source-index runs built.
    Len = int32_t(BuffS.size());
}

// ---- positions

int32_t TSection::FindSourcePos(int32_t) {
    // Still to come: the source position through the index runs.
    return -1;
}

int32_t TSection::FindDocPos(int32_t, bool) {
    // Still to come: the document position through the index runs.
    return -1;
}

bool TSection::GetChAtPos(int32_t, char16_t& Ch, TSectionBase*& Obj) {
    // Still to come: the character at a document position.
    Ch = 0;
    Obj = nullptr;
    return false;
}

// ---- measuring and line breaking

int32_t TSection::DrawLogic1(TCanvas*, int32_t, int32_t Y, int32_t, int32_t, int32_t, int32_t, int32_t,
                             TIndentManager*, int32_t& MaxWidth, int32_t& Curs) {
    // Still to come: the text broken into lines beside the floats.
    YDraw = DrawTop = ContentTop = ContentBot = DrawBot = Y;
    StartCurs = Curs;
    MaxWidth = 0;
    SectionHeight = DrawHeight = 0;
    return 0;
}

void TSection::MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) {
    // Still to come: the widest unbreakable piece and the widest line.
    Min = 0;
    Max = 0;
}

int32_t TSection::FindCountThatFits(TCanvas*, int32_t, int32_t, int32_t) {
    // Still to come: how many characters fit into the width.
    return 0;
}

void TSection::FindTextSize(TCanvas*, int32_t, int32_t, bool, TSize& Size) {
    // Still to come: the extent of the characters, objects included.
    Size = TSize();
}

int32_t TSection::FindTextWidthA(TCanvas*, int32_t, int32_t) {
    // Still to come: the advance width of the characters.
    return 0;
}

void TextExtent(TDeviceContext*, std::u16string_view, TSize& Size) {
    // Still to come: the extent through the device context.
    Size = TSize();
}

int32_t TextExtentFits(TDeviceContext*, std::u16string_view, TSize& Size, int32_t) {
    // Still to come: the fit count through the device context.
    Size = TSize();
    return 0;
}

bool CanBreakAt(char16_t Ch) {
    return Ch == FmCtl || Ch == ImgPan || Ch == BrkCh || Ch == u' ' || IsHyphenLike(Ch) || IsWideChar(Ch);
}

bool IsHyphenLike(char16_t Ch) { return Ch == u'-' || Ch == u'/' || Ch == u'?'; }

bool IsWideChar(char16_t Ch) { return Ch >= 0x3000; }

// ---- drawing, caret, selection and search

int32_t TSection::Draw1(TCanvas*, const TRect&, TIndentManager*, int32_t, int32_t, int32_t) {
    // Still to come: the lines with their runs, selection, objects and inline borders.
    return YDraw + SectionHeight;
}

bool TSection::CursorToXY(TCanvas*, int32_t, int32_t&, int32_t&) {
    // Still to come: the point of a caret position.
    return false;
}

int32_t TSection::FindCursor(TCanvas*, int32_t, int32_t, int32_t&, int32_t&, int32_t&, bool& Intext) {
    // Still to come: the caret position at a point.
    Intext = false;
    return -1;
}

int32_t TSection::FindString(int32_t, std::u16string_view, bool) {
    // Still to come: the forward search.
    return -1;
}

int32_t TSection::FindStringR(int32_t, std::u16string_view, bool) {
    // Still to come: the backward search.
    return -1;
}

ThtguResultType TSection::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                 TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    // Still to come: images, maps, links and titles at the point.
    return TSectionBase::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
}

bool TSection::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) {
    return Images.PtInObject(X, Y, Obj, IX, IY) || TSectionBase::PtInObject(X, Y, Obj, IX, IY);
}

void TSection::CopyToClipboard() {
    // Still to come: the selected characters handed to the document's collector.
}
