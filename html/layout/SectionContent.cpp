// Text sections, their content: construction from the element's style,
// appending text and objects, white-space normalisation, freezing, and the
// conversions between document and source positions.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "html/layout/AttributeList.h"
#include "html/layout/ControlObjs.h"
#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/layout/TokenBuffers.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "platform/framework/Classes.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"

using namespace htmltext;

namespace {

constexpr char16_t SoftHyphen = 0x00AD;

// Case mapping one UTF-16 unit for one unit: a mapping that would change the
// length ("ß" to "SS") keeps the unit, so the source indices and break
// classes stay aligned with the text. Each unit is mapped through the
// platform once and remembered.
char16_t mapUnit(char16_t C, bool Upper) {
    if (C < 0x80) {
        if (Upper) return C >= u'a' && C <= u'z' ? char16_t(C - 32) : C;
        return C >= u'A' && C <= u'Z' ? char16_t(C + 32) : C;
    }
    if (C >= 0xD800 && C <= 0xDFFF) return C;  // half of a pair maps to nothing alone
    static std::array<char16_t, 0x10000> upper{}, lower{};
    std::array<char16_t, 0x10000>& table = Upper ? upper : lower;
    char16_t& known = table[C];
    if (known == 0) {
        const std::u16string_view one(&C, 1);
        const std::u16string m = Upper ? WideUpperCase(one) : WideLowerCase(one);
        known = m.size() == 1 ? m[0] : C;
    }
    return known;
}

// Inline elements whose hidden text is dropped.
bool isHiddenInline(TElemSymb Sym) {
    switch (Sym) {
    case SpanSy:
    case NoBrSy:
    case WbrSy:
    case FontSy:
    case BSy:
    case ISy:
    case SSy:
    case StrikeSy:
    case USy:
    case SubSy:
    case SupSy:
    case BigSy:
    case SmallSy:
    case TTSy:
    case EmSy:
    case StrongSy:
    case CodeSy:
    case KbdSy:
    case SampSy:
    case CiteSy:
    case VarSy:
    case DelSy:
    case InsSy:
    case MarkSy:
    case TimeSy:
    case ASy: return true;
    default: return false;
    }
}

// Small capitals push a SMALL set while lower-case letters are added. The
// set leaves the stack on every way out, also when the stack's push fails
// after it added the set.
class SmallCapsScope {
public:
    explicit SmallCapsScope(ThtModelPropStack* Stack) : FStack(Stack) {}
    ~SmallCapsScope() {
        try {
            Close();
        } catch (...) {
            // A failing pop on the way out must not replace the error under way.
        }
    }
    SmallCapsScope(const SmallCapsScope&) = delete;
    SmallCapsScope& operator=(const SmallCapsScope&) = delete;

    bool IsOpen() const { return FBase >= 0 && FStack->Count() > FBase; }
    void Open() {
        FBase = FStack->Count();
        FStack->PushNewProp(SmallSy, u"", u"", u"", u"", nullptr);
    }
    void Close() {
        const bool open = IsOpen();
        FBase = -1;
        if (open) FStack->PopAProp(SmallSy);
    }

private:
    ThtModelPropStack* FStack;
    int FBase = -1;  // the stack's size before the push; -1 while closed
};

bool attrText(TAttributeList* L, TAttrSymb Sym, std::u16string& Value) {
    TAttribute* a = nullptr;
    if (!L || !L->Find(Sym, a) || !a) return false;
    Value = a->Name;
    return true;
}

// The kind of control a SELECT, INPUT or TEXTAREA tag makes.
ThtFormControlKind controlKind(TElemSymb Which, TAttributeList* L) {
    TAttribute* a = nullptr;
    if (Which == SelectSy) {
        const bool multiple = L && L->Find(MultipleSy, a);
        const bool tall = L && L->Find(SizeSy, a) && a && a->Value > 1;
        return multiple || tall ? ThtFormControlKind::ListBox : ThtFormControlKind::Combo;
    }
    if (Which == InputSy) {
        std::u16string type;
        attrText(L, TypeSy, type);
        type = lower(trim(type));
        if (type == u"submit" || type == u"reset" || type == u"button") return ThtFormControlKind::Button;
        if (type == u"radio") return ThtFormControlKind::Radio;
        if (type == u"checkbox") return ThtFormControlKind::CheckBox;
        if (type == u"hidden") return ThtFormControlKind::Hidden;
        if (type == u"image") return ThtFormControlKind::Image;
        if (type == u"file") return ThtFormControlKind::FileEdit;
        return ThtFormControlKind::Edit;
    }
    return ThtFormControlKind::TextArea;
}

const char* tagName(TElemSymb Which) { return Which == SelectSy ? "SELECT" : Which == InputSy ? "INPUT" : "TEXTAREA"; }

}  // namespace

// ---- construction

TSection::TSection(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop, const TUrlTarget* AnURL, bool FirstItem)
    : TSectionBase(Parent, Attr, Prop) {
    if (FDisplay == pdUnassigned) FDisplay = pdInline;
    // Every section has a first run at 0.
    TFontObj* run = Fonts.Add(std::make_unique<TFontObj>(this, Prop ? Prop->GetFont() : nullptr, 0));
    if (Prop) run->Title = Prop->PropTitle;
    if (AnURL && !AnURL->URL.empty()) {
        run->UrlTarget->Assign(*AnURL);
        MakeLinkRun(run, Prop, !(FDocument && FDocument->StopTab), AnURL->TabIndex);
    }
    if (Prop) {
        LineHeight = Prop->GetLineHeight(std::abs(run->TheFont->Height()));
        if (FirstItem) {
            bool percent = false;
            FirstLineIndent = Prop->GetTextIndent(percent);
            if (percent) FLPercent = std::min(FirstLineIndent, 90);
        }
    }
    std::u16string clear;
    if (attrText(Attr, ClearSy, clear)) {
        clear = lower(trim(clear));
        ClearAttr = clear == u"left" ? clLeft : clear == u"right" ? clRight : clAll;
    }
    if (Prop) {
        ThtClearStyle css = clrNone;
        if (Prop->GetClear(css)) ClearAttr = css;
        const std::u16string& align = VarStr(Prop->Props[TextAlign]);
        Justify = align == u"right"     ? ThtJustify::Right
                  : align == u"center"  ? ThtJustify::Centered
                  : align == u"justify" ? ThtJustify::FullJustify
                                        : ThtJustify::Left;
        BreakWord = VarStr(Prop->Props[WordWrap]) == u"break-word";
    }
    WhiteSpaceStyle = FDocument && FDocument->NoBreak() ? wsNoWrap : wsNormal;
    TakeWhiteSpaceStyle(Prop);
}

TSection::TSection(TCellBasic* Parent, const TSection& Source)
    : TSectionBase(Parent, Source), BreakWord(Source.BreakWord), FLPercent(Source.FLPercent),
      LineHeight(Source.LineHeight), BuffS(Source.BuffS), Brk(Source.Brk), FormControls(true), Justify(Source.Justify),
      ClearAttr(Source.ClearAttr), WhiteSpaceStyle(Source.WhiteSpaceStyle), FirstLineIndent(Source.FirstLineIndent) {
    Len = Source.Len;
    Fonts.CopyFrom(this, Source.Fonts);
    Images.CopyFrom(Parent, Source.Images);
    // A print copy's section owns the copies of its controls.
    for (int i = 0; i < Source.FormControls.Count(); ++i) {
        std::unique_ptr<TFloatingObj> copy = Source.FormControls.GetItem(i)->Clone(Parent);
        if (auto* control = dynamic_cast<TFormControlObjBase*>(copy.get())) {
            copy.release();
            FormControls.Add(std::unique_ptr<TFormControlObjBase>(control));
        }
    }
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

void TSection::TakeWhiteSpaceStyle(TProperties* Prop) {
    if (!Prop) return;
    const ThtVariant& v = Prop->Props[piWhiteSpace];
    ThtWhiteSpaceStyle ws;
    if (VarIsOrdinal(v) && VarInt(v) >= wsNormal && VarInt(v) <= wsPreLine)
        WhiteSpaceStyle = ThtWhiteSpaceStyle(VarInt(v));
    else if (VarIsStr(v) && ParseWhiteSpaceKeyword(VarStr(v), ws)) WhiteSpaceStyle = ws;
}

TPreFormated::TPreFormated(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop, const TUrlTarget* AnURL,
                           bool FirstItem)
    : TSection(Parent, Attr, Prop, AnURL, FirstItem) {
    WhiteSpaceStyle = wsPre;
    TakeWhiteSpaceStyle(Prop);
}

TPreFormated::TPreFormated(TCellBasic* Parent, const TPreFormated& Source) : TSection(Parent, Source) {}

std::unique_ptr<TSectionBase> TPreFormated::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TPreFormated(Parent, *this));
}

void TSection::CheckFree() {
    if (!FDocument) return;
    if (FDocument->LinkList)
        for (int i = 0; i < Fonts.Count(); ++i) FDocument->LinkList->Remove(Fonts.GetFont(i));
    if (FDocument->IDNameList) FDocument->IDNameList->RemoveObject(this);
}

// ---- fonts and links

void TSection::MakeLinkRun(TFontObj* Run, TProperties* Prop, bool TabStop, int32_t TabIndex) {
    Run->CreateFIArray();
    if (Prop) Prop->GetFontInfo(*Run->FIArray);
    if (FDocument && FDocument->LinkList && FDocument->LinkList->IndexOf(Run) < 0) FDocument->LinkList->Add(Run);
    if (TabStop) Run->CreateTabControl(TabIndex);
}

TFontObj* TSection::RunForNewFont(TProperties* Prop) {
    TFontObj* last = Fonts.Last();
    TFontObj* run;
    if (last && last->Pos == Len) {
        last->ReplaceFont(Prop->GetFont());
        run = last;
    } else {
        auto fresh = std::make_unique<TFontObj>(this, Prop->GetFont(), Len);
        if (last && last->UrlTarget) fresh->UrlTarget->Assign(*last->UrlTarget);
        run = Fonts.Add(std::move(fresh));
    }
    run->Title = Prop->PropTitle;
    ThtAlignmentStyle va = aNone;
    run->SScript = Prop->GetVertAlign(va) && (va == aSub || va == aSuper) ? va : aNone;
    return run;
}

void TSection::ChangeFont(TProperties* Prop) {
    if (!Prop) return;
    TFontObj* run = RunForNewFont(Prop);
    if (!run->URL().empty()) MakeLinkRun(run, Prop, false, 0);
}

void TSection::HRef(bool IsHRef, ThtDocument*, const TUrlTarget* AnURL, TAttributeList*, TProperties* Prop) {
    if (!Prop) return;
    TFontObj* run = RunForNewFont(Prop);
    if (AnURL) run->UrlTarget->Assign(*AnURL);
    else run->UrlTarget->Clear();
    if (IsHRef) MakeLinkRun(run, Prop, !(FDocument && FDocument->StopTab), AnURL ? AnURL->TabIndex : 0);
    else run->FIArray.reset();
}

// ---- content

ThtTextWrap TSection::NewCharBreak() const {
    const bool noBreak = FDocument && FDocument->NoBreak();
    return noBreak || WhiteSpaceStyle == wsNoWrap || WhiteSpaceStyle == wsPre || WhiteSpaceStyle == wsPreLine ? twNo
                                                                                                              : twYes;
}

void TSection::AddChar(char16_t C, int32_t Index) {
    // One token reused: the parser hands characters over one by one.
    static thread_local TTokenObj one;
    one.Clear();
    one.AddUnicodeChar(C, Index);
    AddTokenObj(one);
}

void TSection::AppendPlaceholder(char16_t Ch, int32_t Index) {
    BuffS += Ch;
    XP.resize(size_t(Len));
    XP.push_back(Index);
    Brk.resize(size_t(Len));
    Brk.push_back(NewCharBreak());
    Len = int32_t(BuffS.size());
}

void TSection::AddTokenObj(TTokenObj& T) {
    const int count = T.Count();
    if (count == 0) return;
    ThtModelPropStack* stack = FDocument ? FDocument->PropStack() : nullptr;
    TProperties* Prop = stack ? stack->Last() : nullptr;
    if (Prop && Prop->GetDisplay() == pdNone && isHiddenInline(Prop->PropSym)) return;

    std::u16string text(size_t(count), u'\0');
    for (int i = 0; i < count; ++i) text[size_t(i)] = T.Chars(i + 1);
    const ThtTextTransformStyle transform = Prop ? Prop->GetTextTransform() : txNone;
    if (transform == txUpper || transform == txLower)
        for (char16_t& c : text) c = mapUnit(c, transform == txUpper);

    // One source index and one break class per character, always in step with the text.
    XP.resize(size_t(Len));
    Brk.resize(size_t(Len));
    if (XP.capacity() < size_t(Len) + size_t(count) + 3) XP.reserve(size_t(Len) + size_t(count) + 500);
    for (int i = 1; i <= count; ++i) XP.push_back(T.Indices(i));
    Brk.insert(Brk.end(), size_t(count), NewCharBreak());

    if (!Prop || Prop->GetFontVariant() != u"small-caps") {
        BuffS += text;
        Len = int32_t(BuffS.size());
        return;
    }
    // Small capitals: capitals in the font of the element, the other
    // letters upper-cased in a smaller font, switched character by character.
    try {
        SmallCapsScope small(stack);
        for (char16_t c : text) {
            const char16_t up = mapUnit(c, true);
            const bool neutral = c == u' ' || (c >= u'0' && c <= u'9');
            if (!neutral && up != c && !small.IsOpen()) {
                small.Open();
                ChangeFont(stack->Last());
            } else if (!neutral && up == c && small.IsOpen()) {
                small.Close();
                ChangeFont(stack->Last());
            }
            BuffS += up;
            Len = int32_t(BuffS.size());
        }
        if (small.IsOpen()) {
            small.Close();
            ChangeFont(stack->Last());
        }
    } catch (...) {
        XP.resize(size_t(Len));
        Brk.resize(size_t(Len));
        throw;
    }
}

void TSection::AddOpBrk() {
    if (Len > 0 && size_t(Len) <= Brk.size()) Brk[size_t(Len - 1)] = twOptional;
}

TImageObj* TSection::AddImage(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop) {
    auto* image = static_cast<TImageObj*>(Images.Add(std::make_unique<TImageObj>(ACell, Len, L, Prop)));
    AppendPlaceholder(ImgPan, Index);
    return image;
}

TFrameObj* TSection::AddFrame(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop) {
    auto* frame = static_cast<TFrameObj*>(Images.Add(std::make_unique<TFrameObj>(ACell, Len, L, Prop)));
    AppendPlaceholder(ImgPan, Index);
    return frame;
}

TControlObj* TSection::AddPanel(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop) {
    if (!FDocument) return nullptr;
    return AddPanel1(FDocument->ObjectFactory().CreatePanel(ACell, Len, L, Prop, false), Index);
}

TControlObj* TSection::AddProgress(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop) {
    if (!FDocument) return nullptr;
    return AddPanel1(FDocument->ObjectFactory().CreateProgress(ACell, Len, L, Prop), Index);
}

TControlObj* TSection::AddMeter(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop) {
    if (!FDocument) return nullptr;
    return AddPanel1(FDocument->ObjectFactory().CreateMeter(ACell, Len, L, Prop), Index);
}

std::unique_ptr<TControlObj> TSection::CreatePanel(TAttributeList* L, TCellBasic* ACell, TProperties* Prop) {
    if (!FDocument) return nullptr;
    return FDocument->ObjectFactory().CreatePanel(ACell, Len, L, Prop, true);
}

TControlObj* TSection::AddPanel1(std::unique_ptr<TControlObj> PO, int32_t Index) {
    if (!PO) return nullptr;
    PO->StartCurs = Len;
    auto* panel = static_cast<TControlObj*>(Images.Add(std::move(PO)));
    AppendPlaceholder(ImgPan, Index);
    return panel;
}

TFormControlObjBase* TSection::AddFormControl(TElemSymb Which, ThtDocument* AMasterList, TAttributeList* L,
                                              TCellBasic* ACell, int32_t Index, TProperties* Prop) {
    ThtDocument* doc = AMasterList ? AMasterList : FDocument;
    if (!doc) return nullptr;
    const ThtFormControlKind kind = controlKind(Which, L);
    TFormControlObjBase* control = doc->ObjectFactory().CreateFormControl(kind, ACell, Len, L, Prop);
    if (!control) {
        // No maker of form controls is installed: the tag adds nothing.
        if (!doc->MissingControlsLogged) {
            doc->MissingControlsLogged = true;
            KV_HLogFmtText(makeResult(0x80000000u, KFAC_RUNTIME, 0x0046),
                           zrnTranslateString("Элемент формы %s не показан: элементы форм не поддерживаются").c_str(),
                           tagName(Which));
        }
        return nullptr;
    }
    auto* imageControl = dynamic_cast<TImageFormControlObjBase*>(control);
    if (kind == ThtFormControlKind::Image && imageControl) {
        // The picture is an image object; its #4 stands for both.
        TImageObj* image = AddImage(L, ACell, Index, Prop);
        image->MyFormControl = imageControl;
        imageControl->MyImage = image;
    } else {
        FormControls.Add(control);
        AppendPlaceholder(FmCtl, Index);
        if (kind == ThtFormControlKind::FileEdit) {
            Brk[size_t(Len - 1)] = twNo;
            if (TFormControlObjBase* browse = doc->ObjectFactory().CreateBrowseButton(control, ACell, Len, L, Prop)) {
                FormControls.Add(browse);
                // The button took the element's id over; the edit answers to it.
                if (doc->IDNameList && !control->HtmlId().empty())
                    doc->IDNameList->AddObject(control->HtmlId(), control);
                control->SetValue(u"");
                AppendPlaceholder(FmCtl, Index);
                Brk[size_t(Len - 1)] = twNo;
            }
        }
    }
    if (Prop && Prop->HasBorderStyle()) doc->ProcessInlines(Index, Prop, true);
    if (control->GetTheControl()) control->SetStyleElements(doc->StyleElements());
    return control;
}

void TSection::Allocate(int32_t N) {
    if (N > 0 && size_t(N) > XP.capacity()) XP.reserve(size_t(N));
}

// ---- white space

TFloatingObj* TSection::ObjectAt(int32_t Pos) const {
    if (Pos < 0 || Pos >= Len) return nullptr;
    if (BuffS[size_t(Pos)] == ImgPan) return Images.FindObject(Pos);
    if (BuffS[size_t(Pos)] == FmCtl)
        for (int i = 0; i < FormControls.Count(); ++i)
            if (FormControls.GetItem(i)->StartCurs == Pos) return FormControls.GetItem(i);
    return nullptr;
}

void TSection::KeepOnly(const std::vector<char>& Keep) {
    const size_t n = BuffS.size();
    // newPos[p]: the characters kept before p, the new position of what stood at p.
    std::vector<int32_t> newPos(n + 1, 0);
    for (size_t i = 0; i < n; ++i) newPos[i + 1] = newPos[i] + (Keep[i] ? 1 : 0);
    auto moved = [&](int32_t p) {
        if (p <= 0) return 0;
        return p >= int32_t(n) ? newPos[n] + (p - int32_t(n)) : newPos[size_t(p)];
    };

    size_t k = 0;
    for (size_t i = 0; i < n; ++i)
        if (Keep[i]) {
            BuffS[k] = BuffS[i];
            if (i < XP.size()) XP[k] = XP[i];
            if (i < Brk.size()) Brk[k] = Brk[i];
            ++k;
        }
    BuffS.resize(k);
    XP.resize(k);
    Brk.resize(k);
    Len = int32_t(k);

    for (int i = 0; i < Fonts.Count(); ++i) Fonts.GetFont(i)->Pos = moved(Fonts.GetFont(i)->Pos);
    // The positions are moved already: only runs left without characters go.
    Fonts.Decrement(FarBeyond, FDocument);
    for (int i = 0; i < Images.Count(); ++i) {
        TFloatingObj* o = Images.Items(i);
        o->StartCurs = moved(o->StartCurs);
        if (auto* image = dynamic_cast<TImageObj*>(o); image && image->MyFormControl)
            image->MyFormControl->StartCurs = image->StartCurs;
    }
    for (int i = 0; i < FormControls.Count(); ++i)
        FormControls.GetItem(i)->StartCurs = moved(FormControls.GetItem(i)->StartCurs);
}

void TSection::ProcessText(int32_t TagIndex) {
    XP.resize(size_t(Len));
    Brk.resize(size_t(Len));
    if (WhiteSpaceStyle == wsPre) {
        // The last character's source index follows the text's; an empty
        // section has no text to follow and takes the tag's.
        const int32_t index = Len > 0 ? XP[size_t(Len - 1)] + 1 : TagIndex;
        if (TFontObj* last = Fonts.Last(); last && last->Pos == Len && Len > 0) ++last->Pos;
        BuffS += u' ';
        XP.push_back(index);
        Brk.push_back(NewCharBreak());
        Len = int32_t(BuffS.size());
        Finish();
        return;
    }
    const bool collapse = WhiteSpaceStyle != wsPreWrap;
    const size_t n = BuffS.size();
    std::vector<char> keep(n, 1);
    // Each pass walks the characters kept so far, in order, once: the
    // collapsing stays linear however many blanks a page holds.
    std::vector<int32_t> order;
    order.reserve(n);

    // Leading spaces, then the soft hyphens (the character before one may
    // break there, with a hyphen drawn).
    bool started = false;
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = BuffS[i];
        if (!started && c == u' ') {
            keep[i] = 0;
            continue;
        }
        started = true;
        if (c == SoftHyphen) {
            keep[i] = 0;
            if (!order.empty() && Brk[size_t(order.back())] != twNo) Brk[size_t(order.back())] = twSoft;
            continue;
        }
        order.push_back(int32_t(i));
    }
    if (collapse) {
        // Leading spaces again, and one space of every run of spaces: the
        // first that may break, else the last.
        std::vector<int32_t> kept;
        kept.reserve(order.size());
        for (int32_t i : order) {
            const bool space = BuffS[size_t(i)] == u' ';
            if (space && kept.empty()) {
                keep[size_t(i)] = 0;
                continue;
            }
            if (space && BuffS[size_t(kept.back())] == u' ') {
                if (Brk[size_t(kept.back())] != twNo) {
                    keep[size_t(i)] = 0;
                    continue;
                }
                keep[size_t(kept.back())] = 0;
                kept.back() = i;
                continue;
            }
            kept.push_back(i);
        }
        // No space after a floating object, nor on either side of a forced
        // break (no two spaces are neighbours any more).
        std::vector<char> floatsAt(n, 0);
        for (int i = 0; i < Images.Count(); ++i) {
            const TFloatingObj* o = Images.Items(i);
            if ((o->Floating == aLeft || o->Floating == aRight) && o->StartCurs >= 0 && size_t(o->StartCurs) < n)
                floatsAt[size_t(o->StartCurs)] = 1;
        }
        order.clear();
        for (size_t k = 0; k < kept.size(); ++k) {
            const size_t i = size_t(kept[k]);
            if (BuffS[i] == u' ') {
                const bool afterFloat = k > 0 && BuffS[size_t(kept[k - 1])] == ImgPan && floatsAt[size_t(kept[k - 1])];
                const bool nextToBreak = (k > 0 && BuffS[size_t(kept[k - 1])] == BrkCh) ||
                                         (k + 1 < kept.size() && BuffS[size_t(kept[k + 1])] == BrkCh);
                if (afterFloat || nextToBreak) {
                    keep[i] = 0;
                    continue;
                }
            }
            order.push_back(int32_t(i));
        }
        // A final forced break, then a final space, unless it is all there is.
        if (order.size() > 1 && BuffS[size_t(order.back())] == BrkCh) {
            keep[size_t(order.back())] = 0;
            order.pop_back();
        }
        if (order.size() > 1 && BuffS[size_t(order.back())] == u' ') {
            keep[size_t(order.back())] = 0;
            order.pop_back();
        }
    }
    KeepOnly(keep);
    if (collapse && Len > 0 && !(Len == 1 && BuffS[0] == BrkCh)) {
        // Every normal section ends in exactly one space.
        if (TFontObj* last = Fonts.Last(); last && last->Pos == Len) ++last->Pos;
        BuffS += u' ';
        XP.push_back(TagIndex);
        Brk.push_back(NewCharBreak());
        Len = int32_t(BuffS.size());
    }
    Finish();
}

void TSection::Finish() {
    Len = int32_t(BuffS.size());
    if (Len == 0) {
        XP.clear();
        return;
    }
    Brk.resize(size_t(Len));
    Brk.push_back(twYes);
    if (!IsCopy() && XP.size() >= size_t(Len)) {
        SIndexList.clear();
        for (int32_t i = 0; i < Len; ++i)
            if (i == 0 || XP[size_t(i)] != XP[size_t(i - 1)] + 1) SIndexList.push_back({i, XP[size_t(i)]});
    }
    XP.clear();
    XP.shrink_to_fit();
    if (FDocument) SectionNumber = ++FDocument->SectionCount;
}

// ---- positions

int32_t TSection::FindSourcePos(int32_t DocPos) {
    // A print copy has no index runs and answers nothing.
    if (Len == 0 || SIndexList.empty() || DocPos >= StartCurs + Len || DocPos < StartCurs) return -1;
    const int32_t offset = DocPos - StartCurs;
    for (size_t i = SIndexList.size(); i-- > 0;)
        if (SIndexList[i].Pos <= offset) return SIndexList[i].Index + offset - SIndexList[i].Pos;
    return -1;
}

int32_t TSection::FindDocPos(int32_t SourcePos, bool Prev) {
    if (Len == 0 || SIndexList.empty()) return -1;
    const ThtIndexObj& first = SIndexList.front();
    const ThtIndexObj& last = SIndexList.back();
    const int64_t lastSource = int64_t(last.Index) + Len - last.Pos - 1;
    if (Prev) {
        if (SourcePos < first.Index) return -1;
        if (SourcePos > lastSource) return StartCurs + Len - 1;
    } else {
        if (SourcePos > lastSource) return -1;
        if (SourcePos <= first.Index) return StartCurs;
    }
    for (size_t i = 0; i + 1 < SIndexList.size(); ++i) {
        const ThtIndexObj& r = SIndexList[i];
        const ThtIndexObj& next = SIndexList[i + 1];
        if (r.Index <= SourcePos && SourcePos < next.Index) {
            const int32_t j = SourcePos - r.Index + r.Pos;
            // A source index in the gap between two runs (markup) answers the
            // last character before it, or the first after it.
            if (j < next.Pos) return StartCurs + j;
            return Prev ? StartCurs + next.Pos - 1 : StartCurs + next.Pos;
        }
    }
    if (SourcePos >= last.Index) return StartCurs + last.Pos + SourcePos - last.Index;
    return -1;
}

bool TSection::GetChAtPos(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) {
    Ch = 0;
    Obj = nullptr;
    if (Len == 0 || Pos < StartCurs || Pos >= StartCurs + Len) return false;
    Ch = BuffS[size_t(Pos - StartCurs)];
    Obj = this;
    return true;
}
