#include "html/viewer/HtmlViewer.h"

#include <algorithm>

#include "html/layout/Images.h"
#include "html/text/Buffer.h"
#include "html/text/HtmlStrings.h"
#include "html/text/HtmlText.h"
#include "html/text/ScreenColors.h"
#include "html/viewer/HtmlObjectFactory.h"
#include "html/viewer/PaintPanel.h"
#include "html/viewer/VwPrinter.h"
#include "platform/framework/Classes.h"
#include "platform/framework/Clipbrd.h"
#include "platform/runtime/MarkupEscape.h"
#include "platform/runtime/Utf16.h"

namespace {
std::u16string utf16(const String& s) { return zrx_utf8::toUtf16(s); }
String utf8(const std::u16string& s) { return htmltext::toUtf8(s); }

std::unique_ptr<ThtDocument> MakeViewerDocument(THtmlViewer& Viewer) {
    return std::make_unique<ThtDocument>(&Viewer, Viewer.PaintPanel());
}
}  // namespace

IMPLEMENT_CLASS(THtmlViewer, THtmlViewerBase) {
    r.Enum("BorderStyle", HTMLBorderStyleInfo, &THtmlViewer::BorderStyle, &THtmlViewer::SetBorderStyle);
    r.Set("HtOptions", HtmlViewerOptionInfo, &THtmlViewer::HtOptions, &THtmlViewer::SetHtOptions);
    r.Enum("ScrollBars", ScrollStyleInfo, &THtmlViewer::ScrollBars, &THtmlViewer::SetScrollBars);
    r.Boolean("ViewImages", &THtmlViewer::ViewImages, &THtmlViewer::SetViewImages);
}

// ---- life

THtmlViewer::THtmlViewer(TComponent* AOwner) : THtmlViewerBase(AOwner) { Construct(MakeViewerDocument); }

THtmlViewer::THtmlViewer(TComponent* AOwner, ThvDocumentMaker MakeDocument) : THtmlViewerBase(AOwner) {
    Construct(MakeDocument);
}

THtmlViewer::THtmlViewer(TComponent* AOwner, TViewerBase* Source) : THtmlViewer(AOwner) {
    if (!Source) return;
    CopyViewerBase(*Source);
    if (auto* viewer = dynamic_cast<THtmlViewer*>(Source)) CopyViewer(*viewer);
}

void THtmlViewer::Construct(ThvDocumentMaker MakeDocument) {
    FFrameOwner = dynamic_cast<THtmlFrameBase*>(Owner());
    FViewerState |= vsSet(vsCreating);
    SetBounds(Left(), Top(), 150, 150);
    SetCursor(crIBeam);

    FBorderPanel = new TPanel(this);
    FBorderPanel->SetBevelInner(bvNone);
    FBorderPanel->SetBevelOuter(bvNone);
    FBorderPanel->SetAlign(alClient);
    FBorderPanel->SetParentBackground(false);
    FBorderPanel->SetParent(this);

    FPaintPanel = new TPaintPanel(this, this);
    FPaintPanel->SetParentFont(false);
    FPaintPanel->SetParent(this);

    FVScrollBar = new TScrollBar(this);
    FVScrollBar->SetKind(sbVertical);
    FVScrollBar->SetSmallChange(16);
    FVScrollBar->OnScroll = [this](TObject*, TScrollCode, int& ScrollPos) { OnVScroll(ScrollPos); };
    FVScrollBar->SetVisible(false);
    FVScrollBar->SetTabStop(false);
    sbWidth = FVScrollBar->Width();
    FVScrollBar->SetParent(this);

    FHScrollBar = new TScrollBar(this);
    FHScrollBar->SetKind(sbHorizontal);
    FHScrollBar->SetSmallChange(15);
    FHScrollBar->OnScroll = [this](TObject*, TScrollCode, int& ScrollPos) { OnHScroll(ScrollPos); };
    FHScrollBar->SetVisible(false);
    FHScrollBar->SetTabStop(false);
    FHScrollBar->SetParent(this);
    FScrollBars = ssBoth;

    FSectionList = MakeDocument(*this);
    FSectionList->SetObjectFactory(std::make_shared<ThtmlObjectFactory>());
    FSectionList->OnBackgroundChange = [this](ThtDocument* Doc) {
        FPaintPanel->SetColor(TColor(uint32_t(Doc->BackGround) | PalRelative));
    };
    FSectionList->ShowImages = true;
    FSectionList->GetImage = [this](TObject* Sender, const std::u16string& SRC, TStream*& Stream) {
        ImageRequest(Sender, SRC, Stream);
    };
    FSectionList->SetStyleElements(FStyleElements);
    FSectionList->ControlEnterEvent = [this](TFontObj* Link, TFormControlObjBase* Control) {
        ControlEnter(Link, Control);
    };
    ApplyBackground();

    SetHtOptions(DefaultHtmlViewerOptions);

    FHistory = std::make_unique<ThvHistory>();
    FHTMLTimer = new TTimer(this);
    FHTMLTimer->SetEnabled(false);
    FHTMLTimer->SetInterval(200);
    FHTMLTimer->OnTimer = [this](TObject*) { HoverTimerTick(); };
    // Ticks often; the auto-scroll itself steps at most every 100 ms.
    FAutoScrollTimer = new TTimer(this);
    FAutoScrollTimer->SetEnabled(false);
    FAutoScrollTimer->SetInterval(25);
    FAutoScrollTimer->OnTimer = [this](TObject*) { AutoScrollStep(); };
    FPaintPanel->SetPanGestures(true);
    FLinkAttributes = std::make_unique<TStringList>();
    FImagesInserted = new TTimer(this);
    FImagesInserted->SetEnabled(false);
    FImagesInserted->SetInterval(100);
    FImagesInserted->OnTimer = [this](TObject*) { ApplyInsertedImages(); };
    FViewerState &= ~vsSet(vsCreating);
}

THtmlViewer::~THtmlViewer() {
    try {
        AbortPrint();
    } catch (const std::exception&) {
        // The printer's device goes with it, which ends what it still prints.
    }
    FImagesInserted->SetEnabled(false);
    FHTMLTimer->SetEnabled(false);
    FAutoScrollTimer->SetEnabled(false);
    if (FViewerState & vsSet(vsLocalImageCache)) {
        FSectionList->Clear();
        FSectionList->ImageCache.reset();
    }
    // The document goes while the paint panel it draws on still exists.
    FSectionList.reset();
    FHistory.reset();
    FLinkAttributes.reset();
    FDocument.reset();
}

void THtmlViewer::CopyViewer(const THtmlViewer& Source) {
    SetQuirksMode(Source.QuirksMode());
    FBase = Source.FBase;
    FBaseEx = Source.FBaseEx;
    FBaseTarget = Source.FBaseTarget;
    FBorderStyle = Source.FBorderStyle;
    FScrollBars = Source.FScrollBars;
    SetHtOptions(Source.HtOptions());
    OnCreateIFrameControl = Source.OnCreateIFrameControl;
    OnFilenameExpanded = Source.OnFilenameExpanded;
    SetOnFormSubmit(Source.OnFormSubmit());
    SetOnHistoryChange(Source.OnHistoryChange());
    OnHotSpotClick = Source.OnHotSpotClick;
    OnHotSpotCovered = Source.OnHotSpotCovered;
    OnhtStreamRequest = Source.OnhtStreamRequest;
    OnLinkDrawn = Source.OnLinkDrawn;
    OnMetaRefresh = Source.OnMetaRefresh;
    OnPageEvent = Source.OnPageEvent;
    OnPrintHTMLFooter = Source.OnPrintHTMLFooter;
    OnPrintHTMLHeader = Source.OnPrintHTMLHeader;
    OnRightClick = Source.OnRightClick;
    OnLoadHistoryItem = Source.OnLoadHistoryItem;
    OnSectionClick = Source.OnSectionClick;
    OnSectionOver = Source.OnSectionOver;
}

// ---- settings

void THtmlViewer::ApplyBackground() {
    FBackgroundPending = false;
    FSectionList->SetBackground(DefBackground());
    FPaintPanel->SetColor(TColor(uint32_t(DefBackground()) | PalRelative));
    Invalidate();
    FPaintPanel->Invalidate();
}

void THtmlViewer::SetDefBackground(TColor Value) {
    THtmlViewerBase::SetDefBackground(Value);
    if (!FSectionList) return;  // the defaults, before the document exists
    // During a load the document is being rebuilt: the colour waits for its end.
    if (IsProcessing()) FBackgroundPending = true;
    else ApplyBackground();
}

void THtmlViewer::SetDefHotSpotColor(TColor Value) {
    THtmlViewerBase::SetDefHotSpotColor(Value);
    if (FSectionList) FSectionList->HotSpotColor = Value;
}

void THtmlViewer::SetDefOverLinkColor(TColor Value) {
    THtmlViewerBase::SetDefOverLinkColor(Value);
    if (FSectionList) FSectionList->LinkActiveColor = Value;
}

void THtmlViewer::SetDefVisitedLinkColor(TColor Value) {
    THtmlViewerBase::SetDefVisitedLinkColor(Value);
    if (FSectionList) FSectionList->LinkVisitedColor = Value;
}

void THtmlViewer::SetDefPreFontName(const String& Value) {
    if (SameText(Value, DefPreFontName())) return;
    THtmlViewerBase::SetDefPreFontName(Value);
    if (FSectionList) FSectionList->PreFontName = utf16(Value);
}

void THtmlViewer::SetHistoryMaxCount(int Value) {
    if (Value < 0 || Value == HistoryMaxCount()) return;
    // The history keeps its newest entries when it may hold fewer.
    if (FHistory && Value < HistoryMaxCount() && FHistory->Trim(Value)) fire(OnHistoryChange(), this);
    THtmlViewerBase::SetHistoryMaxCount(Value);
}

void THtmlViewer::SetImageCacheCount(int Value) {
    const int old = ImageCacheCount();
    THtmlViewerBase::SetImageCacheCount(Value);
    if (ImageCacheCount() != old && FSectionList && FSectionList->ImageCache)
        FSectionList->ImageCache->SetCacheCount(ImageCacheCount());
}

void THtmlViewer::SetNoSelect(bool Value) {
    const bool changed = Value != NoSelect();
    THtmlViewerBase::SetNoSelect(Value);
    if (!changed || !Value || !FSectionList) return;
    FSectionList->SelB = -1;
    FSectionList->SelE = -1;
    Invalidate();
    FPaintPanel->Invalidate();
}

void THtmlViewer::SetVisitedMaxCount(int Value) {
    const int old = VisitedMaxCount();
    THtmlViewerBase::SetVisitedMaxCount(Value);
    const int count = VisitedMaxCount();
    if (count == old || !FSectionList) return;
    if (count == 0) {
        FVisited.clear();
        if (TLinkList* links = LinkList())
            for (int i = 0; i < links->Count(); ++i) links->Items(i)->SetVisited(false);
        Invalidate();
        FPaintPanel->Invalidate();
    } else if (int(FVisited.size()) > count) {
        FVisited.resize(size_t(count));
    }
}

void THtmlViewer::SetBorderStyle(THTMLBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    UpdateBorder();
}

void THtmlViewer::SetHtOptions(THtmlViewerOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    FSectionList->LinksActive = htoHas(Value, htOverLinksActive);
    FSectionList->PrintTableBackground = htoHas(Value, htPrintTableBackground) || htoHas(Value, htPrintBackground);
    FSectionList->PrintBackground = htoHas(Value, htPrintBackground);
    FSectionList->PrintMonoBlack = htoHas(Value, htPrintMonochromeBlack);
    FSectionList->ShowDummyCaret = htoHas(Value, htShowDummyCaret);
}

void THtmlViewer::SetStyleElements(TStyleElements Value) {
    FStyleElements = Value;
    FSectionList->SetStyleElements(Value);
}

void THtmlViewer::SetBase(const std::u16string& Value) {
    FBase = Value;
    FBaseEx = Value;
}

// ---- events the document raises

void THtmlViewer::SetOnBitmapRequest(TGetBitmapEvent Value) {
    FSectionList->GetBitmap = Value;
    THtmlViewerBase::SetOnBitmapRequest(std::move(Value));
}

void THtmlViewer::SetOnBitmapRequested(TGetBitmapEvent Value) {
    FSectionList->GottenBitmap = Value;
    THtmlViewerBase::SetOnBitmapRequested(std::move(Value));
}

// The document's image requests stay with the viewer, which serves a
// one-image page itself and passes the others on to OnImageRequest.
void THtmlViewer::SetOnImageRequest(TGetImageEvent Value) { THtmlViewerBase::SetOnImageRequest(std::move(Value)); }

void THtmlViewer::SetOnImageRequested(TGetImageEvent Value) {
    FSectionList->GottenImage = Value;
    THtmlViewerBase::SetOnImageRequested(std::move(Value));
}

void THtmlViewer::SetOnObjectBlur(ThtObjectEvent Value) {
    FSectionList->ObjectBlur = Value;
    THtmlViewerBase::SetOnObjectBlur(std::move(Value));
}

void THtmlViewer::SetOnObjectChange(ThtObjectEvent Value) {
    FSectionList->ObjectChange = Value;
    THtmlViewerBase::SetOnObjectChange(std::move(Value));
}

void THtmlViewer::SetOnObjectClick(TObjectClickEvent Value) {
    FSectionList->ObjectClick = Value;
    THtmlViewerBase::SetOnObjectClick(std::move(Value));
}

void THtmlViewer::SetOnObjectFocus(ThtObjectEvent Value) {
    FSectionList->ObjectFocus = Value;
    THtmlViewerBase::SetOnObjectFocus(std::move(Value));
}

void THtmlViewer::SetOnPanelCreate(TPanelCreateEvent Value) {
    FSectionList->PanelCreateEvent = Value;
    THtmlViewerBase::SetOnPanelCreate(std::move(Value));
}

void THtmlViewer::SetOnPanelDestroy(TPanelDestroyEvent Value) {
    FSectionList->PanelDestroyEvent = Value;
    THtmlViewerBase::SetOnPanelDestroy(std::move(Value));
}

void THtmlViewer::SetOnPanelPrint(TPanelPrintEvent Value) {
    FSectionList->PanelPrintEvent = Value;
    THtmlViewerBase::SetOnPanelPrint(std::move(Value));
}

void THtmlViewer::SetOnScript(TScriptEvent Value) {
    FSectionList->ScriptEvent = Value;
    THtmlViewerBase::SetOnScript(std::move(Value));
}

void THtmlViewer::ImageRequest(TObject* Sender, const std::u16string& SRC, TStream*& Stream) {
    if (FImageStream) {
        Stream = FImageStream;
        return;
    }
    if (OnImageRequest()) OnImageRequest()(Sender, SRC, Stream);
}

// ---- processing and progress

void THtmlViewer::SetProcessing(bool On) {
    if (IsProcessing() == On) return;
    if (On) FViewerState |= vsSet(vsProcessing);
    else FViewerState &= ~vsSet(vsProcessing);
    if (!On && FBackgroundPending) ApplyBackground();
    if (OnProcessing() && !IsLoading()) OnProcessing()(this, On);
}

void THtmlViewer::htProgressInit() {
    if (OnProgress()) OnProgress()(this, psStarting, 0);
}

void THtmlViewer::htProgress(int32_t Percent) {
    if (OnProgress()) OnProgress()(this, psRunning, Percent);
}

void THtmlViewer::htProgressEnd() {
    if (OnProgress()) OnProgress()(this, psEnding, 100);
}

// ---- what later parts of the viewer fill in

String THtmlViewer::PlainText() {
    // The text a copy of the whole document gives; the selection stays.
    const int32_t selB = FSectionList->SelB, selE = FSectionList->SelE;
    FSectionList->SelB = 0;
    FSectionList->SelE = FSectionList->Len;
    const int32_t length = FSectionList->GetSelLength();
    std::u16string text(size_t(std::max(0, length)) + 1, u'\0');
    text.resize(size_t(std::max(0, FSectionList->GetSelTextBuf(text.data(), length + 1) - 1)));
    FSectionList->SelB = selB;
    FSectionList->SelE = selE;
    return utf8(text);
}

ThtObjectTagEvent THtmlViewer::ParserObjectTag() {
    if (!OnObjectTag()) return {};
    return
        [this](TObject* Sender, TWinControl* Panel, const TStringList& Attributes, const TStringList& Params,
               bool& WantPanel) { OnObjectTag()(Sender, dynamic_cast<TPanel*>(Panel), Attributes, Params, WantPanel); };
}
