#include "html/layout/Document.h"

#include "html/layout/ControlObjs.h"
#include "html/layout/SizeableObjs.h"
#include "html/layout/Tables.h"
#include "platform/framework/Classes.h"

// ---- life

ThtDocument::ThtDocument(ThtDocumentOwner* Owner, TWinControl* APaintPanel)
    : TCell(this, nullptr), TheOwner(Owner), PPanel(APaintPanel) {
    if (Owner) {
        FStyleElements = Owner->StyleElements();
        FUseQuirksMode = Owner->UseQuirksMode();
    }
    FormControlList = std::make_unique<TFormControlObjList>(false);
    LinkList = std::make_unique<TLinkList>();
    Styles = std::make_unique<TStyleList>(FUseQuirksMode);
    IDNameList = std::make_unique<TIDObjectList>();
    PositionList = std::make_unique<TSectionBaseList>(false);
    TabOrderList = std::make_unique<ThtTabOrderList>();
    InlineList = std::make_shared<TInlineList>(this);
}

ThtDocument::ThtDocument(CopyTag, ThtDocument& T)
    : TCell(this, nullptr), FUseQuirksMode(T.FUseQuirksMode), ShowImages(T.ShowImages), Printing(T.Printing),
      YOff(T.YOff), YOffChange(T.YOffChange), XOffChange(T.XOffChange), NoPartialLine(T.NoPartialLine),
      SelB(T.SelB), SelE(T.SelE), LinkVisitedColor(T.LinkVisitedColor), LinkActiveColor(T.LinkActiveColor),
      HotSpotColor(T.HotSpotColor), PrintTableBackground(T.PrintTableBackground),
      PrintBackground(T.PrintBackground), PrintMonoBlack(T.PrintMonoBlack), TheOwner(T.TheOwner), PPanel(T.PPanel),
      GetBitmap(T.GetBitmap), GottenBitmap(T.GottenBitmap), GetImage(T.GetImage), GottenImage(T.GottenImage),
      ExpandName(T.ExpandName), ObjectClick(T.ObjectClick), ObjectFocus(T.ObjectFocus), ObjectBlur(T.ObjectBlur),
      ObjectChange(T.ObjectChange), FileBrowse(T.FileBrowse), BackGround(T.BackGround), PreFontName(T.PreFontName),
      ImageCache(T.ImageCache), IsCopy(true), InlineList(T.InlineList), FObjectFactory(T.FObjectFactory) {
    SetStyleElements(T.FStyleElements);
    // The sections are copied once the document is whole: they register with it.
    for (int i = 0; i < T.Count(); ++i)
        if (std::unique_ptr<TSectionBase> copy = T.GetItem(i)->CreateCopy(this)) TFreeList::Add(std::move(copy));
}

std::unique_ptr<ThtDocument> ThtDocument::CreateCopy(ThtDocument& T) {
    return std::unique_ptr<ThtDocument>(new ThtDocument(CopyTag{}, T));
}

ThtDocument::~ThtDocument() {
    // The lists that only name objects are emptied first, so that the objects
    // leaving them on their way out find nothing to search; then the sections,
    // while every list still exists, then the forms with their controls.
    IDNameList.reset();
    if (LinkList) LinkList->Clear();
    if (PositionList) PositionList->Clear();
    if (TabOrderList) TabOrderList->Clear();
    if (FormControlList) FormControlList->Clear();
    PanelList.clear();
    MissingImages.clear();
    FCurrentForm = nullptr;
    ActiveLink = nullptr;
    ActiveImage = nullptr;
    TFreeList::Clear();
    htmlFormList.clear();
}

void ThtDocument::Clear() {
    if (!IsCopy) {
        if (IDNameList) IDNameList->Clear();
        if (PositionList) PositionList->Clear();
        if (InlineList) InlineList->Clear();
    }
    BackgroundImage.reset();
    // Still to come: the image cache's use of the background name dropped.
    BitmapName.clear();
    BitmapLoaded = false;
    AGifList.clear();
    Timer.reset();
    SelB = SelE = 0;
    MapList.clear();
    MissingImages.clear();
    if (LinkList) LinkList->Clear();
    ActiveLink = nullptr;
    ActiveImage = nullptr;
    PanelList.clear();
    if (!IsCopy && Styles) {
        Styles->Clear();
        Styles->SetUseQuirksMode(FUseQuirksMode);
    }
    if (TabOrderList) TabOrderList->Clear();
    FCurrentForm = nullptr;
    TFreeList::Clear();
    htmlFormList.clear();
    if (FormControlList) FormControlList->Clear();
}

void ThtDocument::ClearLists() {
    PanelList.clear();
    if (FormControlList) FormControlList->Clear();
}

// ---- settings

void ThtDocument::SetStyleElements(TStyleElements Value) {
    if (Value == FStyleElements) return;
    FStyleElements = Value;
    ApplyStyleElements();
}

void ThtDocument::ApplyStyleElements() {
    if (!FormControlList) return;
    for (int i = 0; i < FormControlList->Count(); ++i) FormControlList->GetItem(i)->SetStyleElements(FStyleElements);
}

void ThtDocument::SetFonts(std::u16string_view, std::u16string_view PreName, int32_t, TColor, TColor AHotSpot,
                           TColor AVisitedColor, TColor AActiveColor, TColor ABackground, bool LnksActive, bool, int,
                           int, int32_t, int32_t) {
    // Still to come: the style list initialised and the font-size tables rescaled.
    PreFontName = PreName;
    HotSpotColor = AHotSpot;
    LinkVisitedColor = AVisitedColor;
    LinkActiveColor = AActiveColor;
    LinksActive = LnksActive;
    SetBackground(ABackground);
}

void ThtDocument::SetBackground(TColor ABackground) {
    BackGround = ABackground;
    if (OnBackgroundChange) OnBackgroundChange(this);
}

// ---- images

void ThtDocument::SetBackgroundBitmap(std::u16string_view Name, const PtPositionRec& APrec) {
    BackgroundImage.reset();
    BitmapName = Name;
    BitmapLoaded = false;
    BackgroundPRec = APrec;
}

void ThtDocument::GetBackgroundBitmap() {
    // Still to come: the background looked up once per load and started when animated.
}

ThtImagePtr ThtDocument::GetTheImage(std::u16string_view, TTransparency&, bool& FromCache, bool& Delay) {
    // Still to come: cache, the application's handlers, data addresses and files.
    FromCache = false;
    Delay = false;
    return nullptr;
}

void ThtDocument::InsertImage(std::u16string_view, TStream*, bool& Reformat) {
    // Still to come: every object waiting for the name served.
    Reformat = false;
}

void ThtDocument::InsertImage(std::u16string_view, TBitmap*, TColor, TTransparency, bool, bool& Reformat) {
    // Still to come: every object waiting for the name served.
    Reformat = false;
}

void ThtDocument::CheckGIFList(TObject*) {
    // Still to come: the animated pictures stepped and the panel invalidated.
}

std::unique_ptr<std::vector<std::unique_ptr<TStringList>>> ThtDocument::GetFormcontrolData() {
    // Still to come: each form's submission.
    return nullptr;
}

void ThtDocument::SetFormcontrolData(const std::vector<std::unique_ptr<TStringList>>&) {
    // Still to come: the saved submissions given back to the forms.
}

// ---- layout and drawing

void ThtDocument::ProcessInlines(int32_t, TProperties*, bool) {
    // Still to come: an inline box opened or closed by the property set's identity.
}

int32_t ThtDocument::DoLogic(TCanvas* Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t BlHt,
                             int32_t& ScrollWidth, int32_t& Curs) {
    // Still to come: form sizes, tab order, animation and the position list around the cell layout.
    ++CycleNumber;
    TableNestLevel = 0;
    InLogic2 = false;
    return TCell::DoLogic(Canvas, Y, Width, AHeight, BlHt, ScrollWidth, Curs);
}

int32_t ThtDocument::Draw(TCanvas* Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t Y,
                          int32_t XRef, int32_t YRef) {
    // Still to come: the print state, palette, deferred images and hidden panels around the cell drawing.
    DrawList.Clear();
    const int32_t result = TCell::Draw(Canvas, ARect, ClipWidth, X, Y, XRef, YRef);
    DrawList.Clear();
    return result;
}

ThtguResultType ThtDocument::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                    TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    // Still to come: hover tracking of links and images around the cell's hit test.
    return TCell::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
}

void ThtDocument::LButtonDown(bool) {
    // Still to come: the active image's pressed state.
}

void ThtDocument::CancelActives() {
    // Still to come: the hovered link and image released.
    ActiveLink = nullptr;
    ActiveImage = nullptr;
}

void ThtDocument::SetYOffset(int32_t Y) {
    YOff = Y;
    YOffChange = true;
    HideControls();
}

void ThtDocument::HideControls() {
    // Still to come: every control and panel marked not shown.
}

// ---- selection

int32_t ThtDocument::CollectSelectedText(TSelTextCount& Collector) {
    // Still to come: the selected sections copying themselves into the collector.
    return Collector.Terminate();
}

int32_t ThtDocument::GetSelLength() {
    // Still to come: the selection counted.
    return 0;
}

int32_t ThtDocument::GetSelTextBuf(char16_t*, int32_t) {
    // Still to come: the selection copied into the buffer.
    return 0;
}

void ThtDocument::CopyToClipboardA(int32_t) {
    // Still to come: the selection put on the clipboard.
}

// ---- positions

bool ThtDocument::CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) {
    // Still to come: the caret after the last character.
    return TCell::CursorToXY(Canvas, Cursor, X, Y);
}

int32_t ThtDocument::FindDocPos(int32_t SourcePos, bool Prev) {
    // Still to come: the end of the document for a position past all text.
    return TCell::FindDocPos(SourcePos, Prev);
}

TSectionBase* ThtDocument::FindSectionAtPosition(int32_t, int32_t& TopPos, int32_t& Index) {
    // Still to come: the last section at or above the position.
    TopPos = 0;
    Index = -1;
    return nullptr;
}

int ThtDocument::AddChPosObjectToIDNameList(const std::u16string& S, int32_t Pos) {
    if (!IDNameList) return -1;
    return IDNameList->AddObject(S, new TChPosObj(this, Pos));
}

void ThtDocument::AddSectionToPositionList(TSectionBase* Section) {
    if (PositionList && Section) PositionList->Add(Section);
}

void ThtDocument::ActivateFormTabbing() {
    // Still to come: tabbing through the controls when the viewer is visible.
}

ThtmlFormBase* ThtDocument::AddForm(std::unique_ptr<ThtmlFormBase> Form) {
    if (!Form) return nullptr;
    htmlFormList.push_back(std::move(Form));
    return htmlFormList.back().get();
}
