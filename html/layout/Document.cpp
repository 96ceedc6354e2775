#include "html/layout/Document.h"

#include <algorithm>

#include "html/layout/ControlObjs.h"
#include "html/layout/DataImages.h"
#include "html/layout/ImageSentinels.h"
#include "html/layout/SizeableObjs.h"
#include "html/layout/Tables.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlStrings.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "platform/framework/Classes.h"
#include "platform/framework/DeviceContext.h"

namespace {

constexpr TColor NoTransparentColor = -1;
constexpr uint32_t FirstTickMs = 50, LaterTickMs = 40;

String cacheKey(const std::u16string& Key) { return htmltext::toUtf8(Key); }

ThtImagePtr cachedImage(ThtImageCache* Cache, const std::u16string& Key, bool CountUse) {
    int i = 0;
    if (!Cache || !Cache->Find(cacheKey(Key), i)) return nullptr;
    return CountUse ? Cache->GetImage(i) : std::static_pointer_cast<ThtImage>(Cache->ObjectAt(i));
}

}  // namespace

std::u16string ImageKey(std::u16string_view Name) { return UpperCaseString(TrimString(Name)); }

// ---- life

ThtDocument::ThtDocument(ThtDocumentOwner* Owner, TWinControl* APaintPanel)
    : TCell(this, nullptr), TheOwner(Owner), PPanel(APaintPanel), FServices(FrameworkDocumentServices()) {
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
      YOff(T.YOff), YOffChange(T.YOffChange), XOffChange(T.XOffChange), NoPartialLine(T.NoPartialLine), SelB(T.SelB),
      SelE(T.SelE), LinkVisitedColor(T.LinkVisitedColor), LinkActiveColor(T.LinkActiveColor),
      HotSpotColor(T.HotSpotColor), PrintTableBackground(T.PrintTableBackground), PrintBackground(T.PrintBackground),
      PrintMonoBlack(T.PrintMonoBlack), TheOwner(T.TheOwner), PPanel(T.PPanel), GetBitmap(T.GetBitmap),
      GottenBitmap(T.GottenBitmap), GetImage(T.GetImage), GottenImage(T.GottenImage), ExpandName(T.ExpandName),
      ObjectClick(T.ObjectClick), ObjectFocus(T.ObjectFocus), ObjectBlur(T.ObjectBlur), ObjectChange(T.ObjectChange),
      FileBrowse(T.FileBrowse), BackGround(T.BackGround), PreFontName(T.PreFontName), ImageCache(T.ImageCache),
      IsCopy(true), InlineList(T.InlineList), FObjectFactory(T.FObjectFactory), FServices(T.FServices) {
    SetStyleElements(T.FStyleElements);
    // The copy draws with the boxes' positions as the source knows them now;
    // it cannot convert them itself (its sections keep no source positions).
    if (InlineList && InlineList->NeedsConverting) InlineList->ConvertPositions();
    // The sections are copied once the document is whole: they register with it.
    for (int i = 0; i < T.Count(); ++i)
        if (std::unique_ptr<TSectionBase> copy = T.GetItem(i)->CreateCopy(this)) TFreeList::Add(std::move(copy));
}

std::unique_ptr<ThtDocument> ThtDocument::CreateCopy(ThtDocument& T) {
    return std::unique_ptr<ThtDocument>(new ThtDocument(CopyTag{}, T));
}

ThtDocument::~ThtDocument() {
    Timer.reset();
    // A print copy that shares the inline boxes never asks a document that is gone.
    if (InlineList && InlineList->Owner == this) InlineList->Owner = nullptr;
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

void ThtDocument::SetServices(std::shared_ptr<ThtDocumentServices> Value) {
    Timer.reset();
    FServices = Value ? std::move(Value) : FrameworkDocumentServices();
}

void ThtDocument::Clear() {
    if (!IsCopy) {
        if (IDNameList) IDNameList->Clear();
        if (PositionList) PositionList->Clear();
        if (InlineList) {
            if (InlineList.use_count() > 1) {
                // A print copy still draws with these boxes: it keeps them,
                // and the next page gets a list of its own.
                InlineList->Owner = nullptr;
                InlineList = std::make_shared<TInlineList>(this);
            } else {
                InlineList->Clear();
            }
        }
    }
    BackgroundImage.reset();
    if (BitmapLoaded && !TrimString(BitmapName).empty() && ImageCache && FBitmapExpandedKnown)
        ImageCache->DecUsage(cacheKey(ImageKey(FBitmapExpanded)));
    BitmapName.clear();
    FBitmapExpanded.clear();
    FBitmapExpandedKnown = false;
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

void ThtDocument::SetFonts(std::u16string_view Name, std::u16string_view PreName, int32_t ASize, TColor AColor,
                           TColor AHotSpot, TColor AVisitedColor, TColor AActiveColor, TColor ABackground,
                           bool LnksActive, bool LinkUnderLine, int ACodePage, int ACharSet, int32_t MarginHeight,
                           int32_t MarginWidth) {
    if (Styles)
        Styles->Initialize(Name, PreName, ASize, AColor, AHotSpot, AVisitedColor, AActiveColor, LinkUnderLine,
                           ACodePage, ACharSet, MarginHeight, MarginWidth);
    SetGlobalFontSizes(ASize);
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

void ThtDocument::InvalidatePanel() { FServices->Invalidate(PPanel); }

// ---- images

ThtImagePtr ThtDocument::ImageFromBitmapEvent(std::u16string_view BMName, TTransparency& Transparent, bool& Delay) {
    if (!GetBitmap) return nullptr;
    const std::u16string name(BMName);
    TBitmap* bitmap = nullptr;
    TColor colour = NoTransparentColor;
    GetBitmap(Sender(), name, bitmap, colour);
    ThtImagePtr image;
    try {
        if (bitmap == WaitBitmap()) {
            Delay = true;
        } else if (bitmap && bitmap != ErrorBitmap()) {
            // The handler keeps its bitmap; the picture owns a copy.
            auto copy = std::make_unique<TBitmap>();
            copy->Assign(bitmap);
            if (colour != NoTransparentColor) Transparent = TrGif;
            image = std::make_shared<ThtBitmapImage>(copy.get(), Transparent, colour, true);
            copy.release();
        }
    } catch (...) {
        image.reset();
    }
    if (GottenBitmap) GottenBitmap(Sender(), name, bitmap, colour);
    return image;
}

ThtImagePtr ThtDocument::ImageFromImageEvent(std::u16string_view BMName, TTransparency& Transparent, bool& Delay) {
    if (!GetImage) return nullptr;
    const std::u16string name(BMName);
    TStream* stream = nullptr;
    GetImage(Sender(), name, stream);
    ThtImagePtr image;
    try {
        if (stream == WaitStream()) Delay = true;
        else if (stream && stream != ErrorStream()) image = LoadImageByContent(stream, Transparent);
    } catch (...) {
        image.reset();
    }
    if (GottenImage) GottenImage(Sender(), name, stream);
    return image;
}

ThtImagePtr ThtDocument::ImageFromFile(std::u16string_view BMName, TTransparency Transparent) {
    const std::u16string file = TheOwner ? TheOwner->HtmlExpandFilename(BMName) : std::u16string(BMName);
    if (file.empty()) return nullptr;
    try {
        return LoadImageFile(htmltext::toUtf8(file), Transparent);
    } catch (...) {
        return nullptr;
    }
}

ThtImagePtr ThtDocument::GetTheImage(std::u16string_view BMName, TTransparency& Transparent, bool& FromCache,
                                     bool& Delay) {
    FromCache = false;
    Delay = false;
    if (BMName.empty()) return nullptr;
    const std::u16string name = TrimString(BMName);
    const std::u16string key = UpperCaseString(name);
    if (ThtImagePtr cached = cachedImage(ImageCache.get(), key, true)) {
        FromCache = true;
        return cached;
    }
    ThtImagePtr image;
    if (!IsDataImageAddress(name)) {
        image = ImageFromBitmapEvent(BMName, Transparent, Delay);
        if (!image && !Delay) image = ImageFromImageEvent(BMName, Transparent, Delay);
        if (!image && !Delay) image = ImageFromFile(BMName, Transparent);
    } else {
        std::vector<uint8_t> bytes;
        if (DataImageBytes(name, bytes)) {
            TMemoryStream stream(std::move(bytes));
            try {
                image = LoadImageByContent(&stream, Transparent);
            } catch (...) {
                image.reset();
            }
        }
    }
    if (image && ImageCache) ImageCache->AddObject(cacheKey(key), image);
    return image;
}

void ThtDocument::InsertImage(std::u16string_view Src, TStream* Stream, bool& Reformat) {
    Reformat = false;
    const std::u16string key = ImageKey(Src);
    const bool cached = cachedImage(ImageCache.get(), key, false) != nullptr;
    const bool awaited = std::any_of(MissingImages.begin(), MissingImages.end(),
                                     [&](const ThtMissingImage& m) { return m.Name == key; });
    bool error = false, made = false;
    if (!cached && awaited) {
        ThtImagePtr image;
        try {
            image = Stream ? LoadImageByContent(Stream, NotTransp) : nullptr;
        } catch (...) {
            image.reset();
        }
        if (image && ImageCache) {
            // The waiting objects take their own references.
            ImageCache->AddObject(cacheKey(key), image);
            ImageCache->DecUsage(cacheKey(key));
            made = true;
        } else {
            error = true;
        }
    }
    if (cached || made || error) ResolveMissingImage(key, error, Reformat);
}

void ThtDocument::InsertImage(std::u16string_view Src, TBitmap* Bitmap, TColor Color, TTransparency Transparent,
                              bool OwnsBitmap, bool& Reformat) {
    Reformat = false;
    // An owned bitmap that no picture takes over is freed here.
    std::unique_ptr<TBitmap> owned(OwnsBitmap ? Bitmap : nullptr);
    const std::u16string key = ImageKey(Src);
    const bool cached = cachedImage(ImageCache.get(), key, false) != nullptr;
    const bool awaited = std::any_of(MissingImages.begin(), MissingImages.end(),
                                     [&](const ThtMissingImage& m) { return m.Name == key; });
    bool error = false, made = false;
    if (!cached && awaited) {
        ThtImagePtr image;
        if (Bitmap) {
            try {
                image = std::make_shared<ThtBitmapImage>(Bitmap, Color != NoTransparentColor ? TrGif : Transparent,
                                                         Color, OwnsBitmap);
                owned.release();
            } catch (...) {
                image.reset();
            }
        }
        if (image && ImageCache) {
            ImageCache->AddObject(cacheKey(key), image);
            ImageCache->DecUsage(cacheKey(key));
            made = true;
        } else {
            error = true;
        }
    }
    if (cached || made || error) ResolveMissingImage(key, error, Reformat);
}

void ThtDocument::ResolveMissingImage(const std::u16string& Key, bool Error, bool& Reformat) {
    // The waiters are taken out first: one that registers again under the
    // same name waits for the next picture instead of being served again.
    std::vector<ThtMissingImage> waiting;
    for (auto it = MissingImages.begin(); it != MissingImages.end();)
        if (it->Name == Key) {
            waiting.push_back(*it);
            it = MissingImages.erase(it);
        } else {
            ++it;
        }
    for (const ThtMissingImage& w : waiting) {
        if (!w.Image) {
            if (!IsCopy && !Error) {
                BitmapLoaded = false;
                GetBackgroundBitmap();
            }
            continue;
        }
        bool reformat = false;
        w.Image->InsertImage(Key, Error, reformat);
        Reformat = Reformat || reformat;
    }
}

void ThtDocument::SetBackgroundBitmap(std::u16string_view Name, const PtPositionRec& APrec) {
    BackgroundImage.reset();
    BitmapName = Name;
    FBitmapExpanded.clear();
    FBitmapExpandedKnown = false;
    BitmapLoaded = false;
    BackgroundPRec = APrec;
}

const std::u16string& ThtDocument::ExpandedBitmapName() {
    if (!FBitmapExpandedKnown) {
        FBitmapExpanded = BitmapName;
        if (!GetBitmap && !GetImage) {
            if (TheOwner) FBitmapExpanded = TheOwner->HtmlExpandFilename(BitmapName);
        } else if (ExpandName) {
            std::u16string expanded;
            ExpandName(Sender(), BitmapName, expanded);
            FBitmapExpanded = expanded;
        }
        FBitmapExpandedKnown = true;
    }
    return FBitmapExpanded;
}

void ThtDocument::GetBackgroundBitmap() {
    if (!ShowImages || TrimString(BitmapName).empty() || BackgroundImage) return;
    const std::u16string name = ExpandedBitmapName();
    if (BitmapLoaded) {
        BackgroundImage = cachedImage(ImageCache.get(), ImageKey(name), false);
    } else {
        TTransparency transparent = NotTransp;
        bool fromCache = false, delay = false;
        BackgroundImage = GetTheImage(name, transparent, fromCache, delay);
        if (delay) MissingImages.push_back(ThtMissingImage{ImageKey(name), nullptr});
        BitmapLoaded = true;
    }
    auto gif = std::dynamic_pointer_cast<ThtGifImage>(BackgroundImage);
    if (gif && !IsCopy && gif->Gif().IsAnimated()) {
        if (std::find(AGifList.begin(), AGifList.end(), gif) == AGifList.end()) AGifList.push_back(gif);
        gif->Gif().SetAnimate(true);
    }
}

void ThtDocument::CheckGIFList(TObject*) {
    if (IsCopy) return;
    auto background = std::dynamic_pointer_cast<ThtGifImage>(BackgroundImage);
    const bool backgroundAnimated = background && background->Gif().IsAnimated();
    const int frame = background ? background->Gif().CurrentFrame() : 0;
    // A picture that a repaint drops from the list is still stepped this once.
    const std::vector<std::shared_ptr<ThtGifImage>> gifs = AGifList;
    for (const std::shared_ptr<ThtGifImage>& gif : gifs)
        if (gif->Gif().ShowIt) gif->Gif().CheckTime(PPanel);
    if (backgroundAnimated && background->Gif().CurrentFrame() != frame) InvalidatePanel();
    if (Timer) Timer->SetInterval(LaterTickMs);
}

std::unique_ptr<std::vector<std::unique_ptr<TStringList>>> ThtDocument::GetFormcontrolData() {
    if (htmlFormList.empty()) return nullptr;
    auto data = std::make_unique<std::vector<std::unique_ptr<TStringList>>>();
    for (const std::unique_ptr<ThtmlFormBase>& form : htmlFormList) data->push_back(form->GetFormSubmission());
    return data;
}

void ThtDocument::SetFormcontrolData(const std::vector<std::unique_ptr<TStringList>>& T) {
    const size_t n = std::min(T.size(), htmlFormList.size());
    for (size_t i = 0; i < n; ++i) {
        if (!T[i]) return;
        try {
            htmlFormList[i]->SetFormData(*T[i]);
        } catch (...) {
            return;  // what was saved no longer fits the page: the rest stays as loaded
        }
    }
}

// ---- layout and drawing

void ThtDocument::ProcessInlines(int32_t SIndex, TProperties* Prop, bool Start) {
    if (!Prop || !InlineList) return;
    if (Start) {
        auto box = std::make_unique<ThtInThtLineRec>();
        box->StartBDoc = SIndex;
        box->IDB = Prop->ID;
        box->EndB = NoPosition;
        box->EndBDoc = NoPosition;
        ThtVMarginArray values;
        Prop->GetVMarginArray(values);
        ConvertMargins(values, 200, 200, Prop->EmSize(), Prop->ExSize(), 0, box->MargArray);
        InlineList->Add(std::move(box));
        return;
    }
    // The last box of the element that is still open ends here; an end
    // without a start changes nothing.
    for (int i = InlineList->Count() - 1; i >= 0; --i) {
        ThtInThtLineRec* box = InlineList->Items(i);
        if (box->IDB == Prop->ID && box->EndBDoc == NoPosition) {
            box->EndBDoc = SIndex;
            return;
        }
    }
}

int32_t ThtDocument::DoLogic(TCanvas* Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t BlHt,
                             int32_t& ScrollWidth, int32_t& Curs) {
    ++CycleNumber;
    TableNestLevel = 0;
    InLogic2 = false;
    if (Timer) Timer->SetEnabled(false);
    for (const std::unique_ptr<ThtmlFormBase>& form : htmlFormList) form->SetSizes(Canvas);
    if (Canvas)
        if (TDeviceContext* dc = Canvas->Handle()) dc->SetTextJustification(0, 0);
    // A copy keeps the positions its source converted (it has no source positions itself).
    if (InlineList && !IsCopy) InlineList->NeedsConverting = true;

    if (TabOrderList && !TabOrderList->Empty()) {
        int counter = 0;
        for (const ThtTabOrderEntry& e : TabOrderList->Sorted()) {
            if (e.Control) e.Control->SetTabOrder(counter++);
            else if (e.TabControl) e.TabControl->SetTabOrder(counter++);
        }
        TabOrderList->Clear();
    }

    const int32_t result = TCell::DoLogic(Canvas, Y, Width, AHeight, BlHt, ScrollWidth, Curs);

    for (const std::shared_ptr<ThtGifImage>& gif : AGifList) {
        gif->Gif().ShowIt = false;
        gif->Gif().SetAnimate(false);
        if (!IsCopy) {
            gif->Gif().SetCurrentFrame(1);
            gif->Gif().SetAnimate(true);
        }
    }
    if (!IsCopy && !Timer) {
        Timer = FServices->CreateTimer([this] { CheckGIFList(nullptr); });
        if (Timer) Timer->SetInterval(FirstTickMs);
    }
    if (Timer) Timer->SetEnabled(!AGifList.empty());
    ActivateFormTabbing();
    if (!IsCopy && PositionList && PositionList->Empty()) AddSectionsToList();
    return result;
}

int32_t ThtDocument::Draw(TCanvas* Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t Y, int32_t XRef,
                          int32_t YRef) {
    PageBottom = YOff + ARect.Bottom;
    PageShortened = false;
    FirstPageItem = true;
    TableNestLevel = 0;
    SkipDraw = false;
    if (Timer) Timer->SetEnabled(false);
    if (auto gif = std::dynamic_pointer_cast<ThtGifImage>(BackgroundImage); gif && !IsCopy) gif->Gif().ShowIt = true;
    // (Palettes: the platform draws in true colour; there is no palette to select.)

    int32_t result = Y;
    {
        struct ClearDeferred {
            TDrawList& list;
            ~ClearDeferred() { list.Clear(); }
        } clearDeferred{DrawList};
        DrawList.Clear();
        result = TCell::Draw(Canvas, ARect, ClipWidth, X, Y, XRef, YRef);
        // Pictures in and beside the text go over every text and background of the page.
        DrawList.DrawImages();
    }

    if (YOffChange) {
        ActivateFormTabbing();
        for (TControlObj* panel : PanelList)
            if (panel && !panel->ShowIt)
                if (TWinControl* control = panel->GetControl()) control->Hide();
    }
    YOffChange = XOffChange = false;
    if (Timer) Timer->SetEnabled(!AGifList.empty());
    return result;
}

ThtguResultType ThtDocument::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                    TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    if (ATitle) ATitle->clear();
    TFontObj* oldLink = ActiveLink;
    TImageObj* oldImage = ActiveImage;
    ActiveLink = nullptr;
    ActiveImage = nullptr;
    const ThtguResultType result = TCell::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
    if (LinksActive && ActiveLink != oldLink) {
        if (LinkList) {
            if (oldLink) oldLink->SetAllHovers(LinkList.get(), false);
            if (ActiveLink) ActiveLink->SetAllHovers(LinkList.get(), true);
        }
        InvalidatePanel();
    }
    if (ActiveImage != oldImage && oldImage) oldImage->SetHover(hvOff);
    if (ActiveImage) ActiveImage->SetHover(FServices->LeftButtonDown() ? hvOverDown : hvOverUp);
    return result;
}

void ThtDocument::LButtonDown(bool Down) {
    if (!ActiveImage) return;
    ActiveImage->SetHover(Down ? hvOverDown : hvOverUp);
    InvalidatePanel();
}

void ThtDocument::CancelActives() {
    if (ActiveLink || ActiveImage) InvalidatePanel();
    if (ActiveLink) {
        if (LinkList) ActiveLink->SetAllHovers(LinkList.get(), false);
        ActiveLink = nullptr;
    }
    if (ActiveImage) {
        ActiveImage->SetHover(hvOff);
        ActiveImage = nullptr;
    }
}

void ThtDocument::SetYOffset(int32_t Y) {
    YOff = Y;
    YOffChange = true;
    HideControls();
}

void ThtDocument::HideControls() {
    for (const std::unique_ptr<ThtmlFormBase>& form : htmlFormList)
        for (int i = 0; i < form->ControlList.Count(); ++i) form->ControlList.GetItem(i)->ShowIt = false;
    for (TControlObj* panel : PanelList)
        if (panel) panel->ShowIt = false;
}

// ---- selection

int32_t ThtDocument::CollectSelectedText(TSelTextCount& Collector) {
    CB = &Collector;
    struct Release {
        TSelTextCount*& cb;
        ~Release() { cb = nullptr; }
    } release{CB};
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* section = GetItem(i);
        if (section->StartCurs + section->Len <= SelB) continue;
        if (section->StartCurs >= SelE) break;
        section->CopyToClipboard();
    }
    return Collector.Terminate();
}

int32_t ThtDocument::GetSelLength() {
    if (SelB >= SelE) return 0;
    TSelTextCount counter;
    return CollectSelectedText(counter);
}

int32_t ThtDocument::GetSelTextBuf(char16_t* Buffer, int32_t BufSize) {
    if (SelB < SelE) {
        TSelTextBuf buffer(Buffer, BufSize);
        return CollectSelectedText(buffer);
    }
    if (BufSize <= 0 || !Buffer) return 0;
    Buffer[0] = 0;
    return 1;
}

void ThtDocument::CopyToClipboardA(int32_t Leng) {
    if (SelB >= SelE) return;
    TClipBuffer buffer(Leng);
    CollectSelectedText(buffer);
}

// ---- positions

bool ThtDocument::CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) {
    if (Len <= 0) return false;  // nothing to place a caret in
    if (!TSectionBaseList::CursorToXY(Canvas, std::min(Cursor, Len - 1), X, Y)) return false;
    if (Cursor >= Len) X += 15;  // after the last character
    return true;
}

int32_t ThtDocument::FindDocPos(int32_t SourcePos, bool Prev) {
    const int32_t pos = TSectionBaseList::FindDocPos(SourcePos, Prev);
    return pos < 0 ? Len : pos;
}

TSectionBase* ThtDocument::FindSectionAtPosition(int32_t Pos, int32_t& TopPos, int32_t& Index) {
    TopPos = 0;
    Index = -1;
    if (!PositionList) return nullptr;
    for (int i = PositionList->Count() - 1; i >= 0; --i) {
        TSectionBase* section = PositionList->GetItem(i);
        const int32_t y = section->GetYPosition();
        if (y <= Pos) {
            TopPos = y;
            Index = i;
            return section;
        }
    }
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
    if (IsCopy || !FormControlList || FormControlList->Empty() || !PPanel) return;
    for (TControl* c = PPanel; c; c = c->Parent())
        if (!c->Visible()) return;
    FormControlList->ActivateTabbing();
}

ThtmlFormBase* ThtDocument::AddForm(std::unique_ptr<ThtmlFormBase> Form) {
    if (!Form) return nullptr;
    htmlFormList.push_back(std::move(Form));
    return htmlFormList.back().get();
}
