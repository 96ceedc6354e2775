#include "html/layout/FontRuns.h"

#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/text/Fonts.h"

// ---- font runs

TFontObj::TFontObj(TSection* ASection, std::unique_ptr<ThtFont> F, int32_t Position)
    : FSection(ASection), Pos(Position), TheFont(std::move(F)) {
    if (!TheFont) TheFont = std::make_unique<ThtFont>();
    FontChanged();
}

TFontObj::TFontObj(TSection* ASection, const TFontObj& T) : FSection(ASection), Pos(T.Pos), SScript(T.SScript) {
    TheFont = std::make_unique<ThtFont>();
    TheFont->Assign(T.TheFont.get());
    if (T.FIArray) TheFont->Assign(T.FIArray->Ar[0]);
    if (T.UrlTarget) UrlTarget->Assign(*T.UrlTarget);
    FontChanged();
}

TFontObj::~TFontObj() {
    if (ThtTabControl* tc = TabControl) {
        TabControl = nullptr;
        tc->Free();
    }
}

void TFontObj::BindTabControl() {
    if (!TabControl) return;
    TabControl->OnEnter = [this](TObject*) { LinkEnter(); };
    TabControl->OnExit = [this](TObject*) { LinkExit(); };
    TabControl->OnKeyDown = [this](TObject*, uint16_t& Key, TShiftState Shift) { LinkKeyDown(Key, Shift); };
    // The control goes (with this run, or with the panel first): its tab-order entry goes too.
    TabControl->OnGone = [this](ThtTabControl* Sender) {
        if (TabControl == Sender) TabControl = nullptr;
        if (ThtDocument* doc = Document(); doc && doc->TabOrderList) doc->TabOrderList->Remove(Sender);
    };
}

ThtDocument* TFontObj::Document() const { return FSection ? FSection->Document() : nullptr; }

void TFontObj::ReplaceFont(std::unique_ptr<ThtFont> F) {
    TheFont = F ? std::move(F) : std::make_unique<ThtFont>();
    FontChanged();
}

void TFontObj::ConvertFont(const ThtFontInfo& FI) {
    TheFont->Assign(FI);
    FontChanged();
}

void TFontObj::FontChanged() {
    tmHeight = TheFont->tmHeight;
    tmMaxCharWidth = TheFont->tmMaxCharWidth;
    Descent = TheFont->tmDescent;
    FontHeight = tmHeight + TheFont->tmExternalLeading;
    Overhang = (TheFont->Style() & fsSet(fsItalic)) ? tmHeight / 10 : 0;
    TheFont->SetCharset(TheFont->tmCharset);
}

void TFontObj::ShowLinkState() {
    // A run without link fonts keeps its font (the parser gives link runs theirs).
    if (FIArray) ConvertFont(FIArray->Ar[size_t(LinkStateIndex())]);
}

void TFontObj::SetVisited(bool Value) {
    if (Value == FVisited) return;
    FVisited = Value;
    ShowLinkState();
}

void TFontObj::SetHover(bool Value) {
    if (Value == FHover) return;
    FHover = Value;
    ShowLinkState();
}

void TFontObj::SetAllHovers(TFontList* List, bool Value) {
    SetHover(Value);
    if (!List || !UrlTarget) return;
    const int me = List->IndexOf(this);
    if (me < 0) return;
    const int64_t id = UrlTarget->ID;
    auto sameLink = [id](TFontObj* f) { return f->UrlTarget && f->UrlTarget->ID == id; };
    for (int i = me + 1; i < List->Count() && sameLink(List->GetFont(i)); ++i) List->GetFont(i)->SetHover(Value);
    for (int i = me - 1; i >= 0 && sameLink(List->GetFont(i)); --i) List->GetFont(i)->SetHover(Value);
}

void TFontObj::CreateFIArray() {
    if (!FIArray) FIArray = std::make_unique<TFontInfoArray>();
}

void TFontObj::CreateTabControl(int32_t TabIndex) {
    if (TabControl) return;
    ThtDocument* doc = Document();
    if (!doc || !doc->PPanel) return;  // nowhere to place a tab stop
    if (doc->LinkList && UrlTarget) {
        const int me = doc->LinkList->IndexOf(this);
        for (int i = (me < 0 ? doc->LinkList->Count() : me) - 1; i >= 0; --i) {
            TFontObj* f = doc->LinkList->GetFont(i);
            if (f->UrlTarget && f->UrlTarget->ID == UrlTarget->ID && f->TabControl) return;
        }
    }
    auto* tc = new ThtTabControl(nullptr);
    tc->SetParent(doc->PPanel);
    TabControl = tc;
    BindTabControl();
    if (TabIndex > 0 && doc->TabOrderList) doc->TabOrderList->Add(TabIndex, tc);
}

void TFontObj::SetActiveOnLink(bool Value) {
    Active = Value;
    ThtDocument* doc = Document();
    if (!doc || !doc->LinkList || !UrlTarget) return;
    const int me = doc->LinkList->IndexOf(this);
    if (me < 0) return;
    for (int i = me + 1; i < doc->LinkList->Count(); ++i) {
        TFontObj* f = doc->LinkList->GetFont(i);
        if (!f->UrlTarget || f->UrlTarget->ID != UrlTarget->ID) break;
        f->Active = Value;
    }
}

void TFontObj::LinkEnter() {
    SetActiveOnLink(true);
    if (ThtDocument* doc = Document(); doc && doc->ControlEnterEvent) doc->ControlEnterEvent(this, nullptr);
}

void TFontObj::LinkExit() {
    SetActiveOnLink(false);
    if (ThtDocument* doc = Document(); doc && doc->PPanel) doc->PPanel->Invalidate();
}

void TFontObj::LinkKeyDown(uint16_t& Key, TShiftState Shift) {
    ThtDocument* doc = Document();
    ThtDocumentOwner* owner = doc ? doc->TheOwner : nullptr;
    if (!owner) return;
    if (Key == VK_RETURN) {
        if (UrlTarget) owner->FollowLinkByKey(*UrlTarget);
    } else {
        owner->ViewerKeyDown(Key, Shift);
    }
}

void TFontObj::AssignY(int32_t Y) {
    if (URL().empty()) return;
    if (TabControl) {
        FYValue = Y;
        return;
    }
    ThtDocument* doc = Document();
    if (!doc || !doc->LinkList) return;
    const int me = doc->LinkList->IndexOf(this);
    for (int i = me - 1; i >= 0; --i) {
        TFontObj* f = doc->LinkList->GetFont(i);
        if (f->UrlTarget && f->UrlTarget->ID == UrlTarget->ID && f->TabControl) {
            f->FYValue = Y;
            return;
        }
    }
}

void TFontObj::TakeTabControl(TFontObj& From) {
    if (!From.TabControl || TabControl) return;
    TabControl = From.TabControl;
    From.TabControl = nullptr;
    BindTabControl();
    FYValue = From.FYValue;
}

// ---- run lists

void TFontList::CopyFrom(TSection* ASection, const TFontList& T) {
    for (int i = 0; i < T.Count(); ++i) Add(std::make_unique<TFontObj>(ASection, *T.GetFont(i)));
}

ThtFont* TFontList::GetFontAt(int32_t Posn, int32_t& OHang) const {
    OHang = 0;
    if (Empty()) return nullptr;
    int i = 0;
    while (i < Count() && GetFont(i)->Pos < Posn) ++i;
    TFontObj* f;
    if (i == Count()) f = GetFont(Count() - 1);
    else if (GetFont(i)->Pos == Posn || i == 0) f = GetFont(i);
    else f = GetFont(i - 1);
    OHang = f->Overhang;
    return f->TheFont.get();
}

TFontObj* TFontList::GetFontObjAt(int32_t Posn) const {
    for (int i = Count() - 1; i >= 0; --i)
        if (GetFont(i)->Pos <= Posn) return GetFont(i);
    return nullptr;
}

int32_t TFontList::GetFontObjAt(int32_t Posn, int32_t Leng, TFontObj*& Obj) const {
    Obj = nullptr;
    for (int i = Count() - 1; i >= 0; --i)
        if (GetFont(i)->Pos <= Posn) {
            Obj = GetFont(i);
            const int32_t next = i == Count() - 1 ? Leng : GetFont(i + 1)->Pos;
            return next - Posn;
        }
    return 0;
}

void TFontList::Decrement(int32_t N, ThtDocument* Document) {
    for (int i = 0; i < Count(); ++i)
        if (GetFont(i)->Pos > N) --GetFont(i)->Pos;
    for (int i = 1; i < Count(); ++i) {
        TFontObj* later = GetFont(i);
        TFontObj* empty = GetFont(i - 1);
        if (later->Pos != empty->Pos) continue;
        if (Document) {
            if (Document->LinkList) Document->LinkList->Remove(empty);
            if (Document->ActiveLink == empty) Document->ActiveLink = nullptr;
        }
        if (empty->TabControl) {
            const bool sameLink = empty->UrlTarget && later->UrlTarget && empty->UrlTarget->ID == later->UrlTarget->ID;
            if (sameLink && !later->TabControl) later->TakeTabControl(*empty);
            else if (Document && Document->TabOrderList) Document->TabOrderList->Remove(empty->TabControl);
        }
        Delete(i - 1);
        --i;
    }
}
